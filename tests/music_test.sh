#!/bin/bash
# Checks the soundtrack with mvrk_music_check (format, length, peak, fade,
# level, drum hits on the beat-shake steps, changes at the scene
# boundaries). It checks the file the content fixture generated
# ($MVRK_TEST_CONTENT), or generates one with the build's mvrk_music.
#   bash music_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
for program in mvrk_music mvrk_music_check; do
  if [ ! -x "$build/$program" ]; then
    echo "$program is not built"
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

music="${MVRK_TEST_CONTENT:-}/data/soundtrack.ogg"
if [ -z "${MVRK_TEST_CONTENT:-}" ] || [ ! -f "$music" ]; then
  music="$work/soundtrack.ogg"
  "$build/mvrk_music" "$music"
fi
echo "checking $music"
"$build/mvrk_music_check" "$music"

# The checker must reject what is not a soundtrack.
head -c 5000 "$music" > "$work/cut.ogg"
if "$build/mvrk_music_check" "$work/cut.ogg" > "$work/cut.log" 2>&1; then
  echo "the checker accepted a file cut after 5000 bytes"
  exit 1
fi
echo "a file cut short is rejected:"
grep FAIL "$work/cut.log" || cat "$work/cut.log"
