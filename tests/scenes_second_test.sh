#!/bin/bash
# Rendered pixels of the second-half scenes through the capture tool: the
# white flashes that open rush and capped and close atom into outro, the black
# that opens atom, and captions in the glyph cells DrawText lays out for them.
# Each frame is rendered on its own, so no trail of an earlier frame shows.
set -uo pipefail
BUILD=$(cd "$1" && pwd)
CAPTURE=$BUILD/mvrk_capture
[ -x "$CAPTURE" ] || { echo "no $CAPTURE"; exit 77; }
command -v ffmpeg > /dev/null || { echo "ffmpeg is needed to read the frames back"; exit 77; }

OUT=$(mktemp -d /tmp/mvrk_scenes2_XXXXXX)
trap 'rm -rf "$OUT"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

CONTENT=${MVRK_TEST_CONTENT:-}
if [ -z "$CONTENT" ] || [ ! -d "$CONTENT/data" ]; then
  [ -x "$BUILD/mvrk_content" ] || { echo "no content and no $BUILD/mvrk_content"; exit 77; }
  CONTENT=$OUT/content
  "$BUILD/mvrk_content" "$CONTENT" > /dev/null || fail "content generation"
fi

render() {
  "$CAPTURE" --data "$CONTENT" --from "$1" --to "$1" --step 1 --frames "$OUT" 2> "$OUT/log" \
    || { cat "$OUT/log"; fail "capture of $1"; }
  [ -s "$OUT/$1.png" ] || fail "no frame $1"
}

# count TIME X Y W H white|dark: pixels of the rectangle with every channel
# at least 235 (white) or at most 40 (dark).
count() {
  ffmpeg -v error -i "$OUT/$1.png" -vf "crop=$4:$5:$2:$3" -f rawvideo -pix_fmt rgb24 - |
    od -An -tu1 -v | tr -s ' ' '\n' | grep -v '^$' |
    awk -v mode="$6" '{ v[n % 3] = $1; n++
        if (n % 3 == 0) {
          if (mode == "white" && v[0] >= 235 && v[1] >= 235 && v[2] >= 235) c++
          if (mode == "dark" && v[0] <= 40 && v[1] <= 40 && v[2] <= 40) c++
        } }
      END { print c + 0 }'
}

expect() {  # expect DESCRIPTION OP VALUE ACTUAL
  [ "$4" "$2" "$3" ] || fail "$1: $4 pixels, expected $2 $3"
}

for t in 132194 144211 180256 168243 144210 216118; do
  render $t
done

# Additive white at full strength: the whole middle is white.
for t in 132194 144211 180256; do
  expect "white middle at $t" -eq 1600 "$(count $t 300 220 40 40 white)"
done
# Atom opens on an opaque black quad; the bars are black too.
expect "black frame at 168243" -eq 307200 "$(count 168243 0 0 640 480 dark)"

# Rush just before its end: "VORDA" opaque black over white, cells 50 x 50
# with their bottoms at 420, advance 65, the line starting at 157.5.
for k in 0 1 2 3 4; do
  x=$((158 + 65 * k))
  expect "rush glyph $k" -gt 100 "$(count 144210 $x 372 49 46 dark)"
  expect "rush gap after glyph $k" -eq 0 "$(count 144210 $((x + 51)) 375 12 30 dark)"
done
expect "above the rush caption" -eq 0 "$(count 144210 150 300 340 60 dark)"
# At its first frame the same caption is transparent.
expect "rush caption at p = 0" -eq 0 "$(count 132194 158 372 325 46 dark)"

# Last just before its end: two white lines with 40 x 40 cells and advance
# 25, "WELCOME" from x 232.5 (bottoms at 360) and "VORDAZALTORIVENKA2006"
# from x 57.5 (bottoms at 390). Each glyph shows in the middle of its cell.
for k in $(seq 0 6); do
  expect "WELCOME glyph $k" -gt 40 "$(count 216118 $((245 + 25 * k)) 322 16 36 white)"
done
for k in $(seq 0 20); do
  expect "second line glyph $k" -gt 40 "$(count 216118 $((70 + 25 * k)) 352 16 36 white)"
done
expect "left of the captions" -eq 0 "$(count 216118 0 350 55 40 white)"
expect "below the captions" -eq 0 "$(count 216118 0 392 640 20 white)"
echo "second-half scene frames passed"
