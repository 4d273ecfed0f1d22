#!/bin/bash
# mvrk_compare on folders of PNG frames: status 0 and "all within the
# tolerance" for equal pictures, 1 with the frame named for one past the
# tolerance, for a frame missing from the second folder and for frames of
# different sizes.
set -uo pipefail
BUILD=$(cd "$1" && pwd)
OUT=$(mktemp -d /tmp/mvrk_compare_XXXXXX)
trap 'rm -rf "$OUT"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
command -v ffmpeg > /dev/null || fail "ffmpeg is missing (scripts/deps.sh installs it)"

frame() {  # FILE COLOUR SIZE
  ffmpeg -v error -y -f lavfi -i "color=c=$2:s=$3" -frames:v 1 "$1" || fail "ffmpeg made no $1"
}
mkdir -p "$OUT/a" "$OUT/same" "$OUT/far" "$OUT/missing" "$OUT/sized"
frame "$OUT/a/000000.png" 0x808080 64x48
frame "$OUT/a/000020.png" 0x404040 64x48
cp "$OUT/a/"*.png "$OUT/same/"
cp "$OUT/a/000000.png" "$OUT/far/"
frame "$OUT/far/000020.png" 0x606060 64x48
cp "$OUT/a/000000.png" "$OUT/missing/"
cp "$OUT/a/000000.png" "$OUT/sized/"
frame "$OUT/sized/000020.png" 0x404040 32x24

# case|second folder|status|what the output must hold
CASES=(
  "same|same|0|all within the tolerance"
  "far|far|1|1 frames past the tolerance"
  "missing|missing|1|000020.png: missing, no frame of that name"
  "sized|sized|1|000020.png: 64x48 in"
)
for row in "${CASES[@]}"; do
  IFS='|' read -r name folder expected text <<< "$row"
  out=$("$BUILD/mvrk_compare" "$OUT/a" "$OUT/$folder" 2>&1)
  status=$?
  [ $status -eq "$expected" ] || fail "$name: status $status, not $expected: $out"
  grep -qF "$text" <<< "$out" || fail "$name: no \"$text\" in: $out"
  echo "$name: status $status"
done
