#!/bin/bash
# Captures a fixed set of frames across all thirteen scenes, for checking that
# a change meant to keep the picture keeps it byte for byte:
#   scripts/capture_fixed.sh OUTDIR [BUILD_DIR] [CONTENT_DIR]
# then compare two sets with `cmp`/`diff -r` (PNG files are written the same
# way for the same pixels). Each point is a short run of three frames, 20 ms
# apart, started from a fresh process, so the trail, the random generator and
# the state after start-up all show in the pictures; the points are every cut
# (the two frames before it and the first after it), a quarter, half and three
# quarters into each scene and 100 ms before its end.
set -euo pipefail
OUT=$1
BUILD=${2:-build}
CONTENT=${3:-content}
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
# The scenes as the demo shows them, in milliseconds of music, from the
# program's own table.
times=()
while read -r name start end; do
  [ -n "$name" ] || continue
  times+=("$start")
  for k in 1 2 3; do
    times+=($((start + (end - start) * k / 4)))
  done
  times+=($((end - 100)))
done < <("$BUILD/mvrk_capture" --list-scenes)
[ ${#times[@]} -eq 65 ] || { echo "no list of the 13 scenes from $BUILD/mvrk_capture"; exit 1; }
for t in "${times[@]}"; do
  from=$((t - 40))
  if [ "$from" -lt 0 ]; then from=0; fi
  "$BUILD/mvrk_capture" --data "$CONTENT" --from "$from" --to "$((t + 20 * (t == 0 ? 2 : 0)))" \
    --step 20 --frames "$OUT" 2> /dev/null
done
ls "$OUT" | wc -l
