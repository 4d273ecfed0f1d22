#!/bin/bash
# The content generator: two runs give the same bytes, it finishes in well
# under a minute and writes the six directories. The tree itself is checked
# by the Content tests of mvrk_tests. Arguments: BUILD_DIR SOURCE_DIR.
set -euo pipefail
BUILD=$1
GENERATOR=$BUILD/mvrk_content
if [ ! -x "$GENERATOR" ]; then
  echo "mvrk_content is not built" >&2
  exit 77
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

start=$(date +%s.%N)
"$GENERATOR" "$WORK/first"
end=$(date +%s.%N)
seconds=$(echo "$end - $start" | bc)
echo "generated in $seconds s"
if (( $(echo "$seconds > 60" | bc) )); then
  echo "the generator took $seconds s" >&2
  exit 1
fi

"$GENERATOR" "$WORK/second" > /dev/null
if ! diff -r "$WORK/first" "$WORK/second"; then
  echo "two runs of the generator differ" >&2
  exit 1
fi

for directory in data City Wobbla Huma Humb Humc; do
  [ -d "$WORK/first/$directory" ] || { echo "no directory $directory" >&2; exit 1; }
done
if [ "$(ls "$WORK/first" | wc -l)" != 6 ]; then
  echo "unexpected directories: $(ls "$WORK/first")" >&2
  exit 1
fi
