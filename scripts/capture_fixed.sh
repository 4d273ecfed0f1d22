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
# The scene intervals of the timeline, in milliseconds of music.
BOUNDS=(0 48078 60096 72115 84143 108163 132194 144211 156223 168243 180256 204300 216119 223999)
times=()
for ((s = 0; s < 13; ++s)); do
  start=${BOUNDS[s]}
  end=${BOUNDS[s + 1]}
  times+=("$start")
  for k in 1 2 3; do
    times+=($((start + (end - start) * k / 4)))
  done
  times+=($((end - 100)))
done
for t in "${times[@]}"; do
  from=$((t - 40))
  if [ "$from" -lt 0 ]; then from=0; fi
  "$BUILD/mvrk_capture" --data "$CONTENT" --from "$from" --to "$((t + 20 * (t == 0 ? 2 : 0)))" \
    --step 20 --frames "$OUT" 2> /dev/null
done
ls "$OUT" | wc -l
