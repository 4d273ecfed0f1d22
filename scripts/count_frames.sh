#!/bin/bash
# Counts the instructions of one steady frame at each given music time, with
# Mesa rasterizing on the calling thread and callgrind counting: exact and
# repeatable on a busy machine, unlike wall times.
#   scripts/count_frames.sh BENCH CONTENT_DIR TIME...
# prints "TIME INSTRUCTIONS" per time. Each frame is the fifth of a run at the
# live pace that starts 80 ms earlier, so the shaders its state needs are
# already compiled.
set -euo pipefail
BENCH=$(realpath "$1")
CONTENT=$(realpath "$2")
shift 2
WORK=$(mktemp -d /tmp/mvrk_count_XXXXXX)
trap 'rm -rf "$WORK"' EXIT
for t in "$@"; do
  (cd "$WORK" && rm -f callgrind.out.* &&
   LP_NUM_THREADS=0 valgrind --tool=callgrind --dump-before='RenderHeadlessFrame*' \
     "$BENCH" "$CONTENT" --from $((t - 80)) --to $((t + 20)) > log 2>&1) ||
    { cat "$WORK/log"; exit 1; }
  # Dump 1 is the start-up, dump k + 1 the k-th frame: the frame at t is dump 6.
  dump=$(ls "$WORK"/callgrind.out.*.6 2>/dev/null) || {
    echo "count_frames.sh: callgrind wrote no dump for the frame at $t" \
         "(does $BENCH still draw each frame through RenderHeadlessFrame?)" >&2
    exit 1
  }
  echo "$t $(sed -n 's/^summary: //p' "$dump")"
done
