#!/bin/bash
# The scenes from hum to wobbler rendered by the capture tool on generated
# content.
# - The first frame of prefall, balance, fall and water, captured from a
#   fresh start (no trail of an earlier frame), is black: the scene opens
#   under an opaque black quad and shows only the blur of black.
# - Each caption shows its glyphs in the cells the text layout gives it: the
#   frame is captured once with the real font and once with an all-black
#   font (fully transparent glyphs), and the pixels that differ must lie in
#   the cells of the caption's non-blank characters, every such cell over a
#   background the text can show on must have some, and black text must
#   darken, white text brighten.
set -uo pipefail
BUILD=$(cd "$1" && pwd)
CONTENT=${MVRK_TEST_CONTENT:-}
if [ -z "$CONTENT" ] || [ ! -d "$CONTENT/data" ]; then
  echo "no generated content in MVRK_TEST_CONTENT; run through ctest"
  exit 77
fi
command -v python3 > /dev/null || { echo "python3 is needed to read the frames"; exit 77; }
command -v pnmtojpeg > /dev/null || { echo "pnmtojpeg is needed for the blank font"; exit 77; }
OUT=$(mktemp -d /tmp/mvrk_scenes_first_XXXXXX)
trap 'rm -rf "$OUT"' EXIT
CAPTURE=$BUILD/mvrk_capture
fail() { echo "FAIL: $*"; exit 1; }

# Renders the single frame at music time $2 from content $1 into $3/TTTTTT.png.
frame() {
  mkdir -p "$3"
  "$CAPTURE" --data "$1" --from "$2" --to "$2" --frames "$3" 2> "$OUT/log" \
    || { cat "$OUT/log"; fail "capture of $2 from $1"; }
}

cp -r "$CONTENT" "$OUT/blankfont"
{ printf 'P6\n64 64\n255\n'; head -c $((64 * 64 * 3)) /dev/zero; } > "$OUT/black.ppm"
pnmtojpeg "$OUT/black.ppm" > "$OUT/blankfont/data/font.jpg" || fail "pnmtojpeg"

cat > "$OUT/frames.py" <<'PYTHON'
import struct, sys, zlib

def read_png(path):
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        sys.exit('%s: not a PNG' % path)
    pos, idat, width, height = 8, b'', 0, 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, ctype, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if (depth, ctype, interlace) != (8, 2, 0):
                sys.exit('%s: not an 8-bit RGB PNG' % path)
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 3
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - 3] if x >= 3 else 0
            b = prev[x]
            c = prev[x - 3] if x >= 3 else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, rows

def f32(x):
    return struct.unpack('f', struct.pack('f', x))[0]

def black(path):
    _, _, rows = read_png(path)
    brightest = max(max(row) for row in rows)
    if brightest > 2:
        sys.exit('%s: not black, brightest channel %d' % (path, brightest))

# The glyph boxes of a caption at x 320, bottom 420, 50 x 50 cells, advance
# 40 + 25 p, as the text layout places them: (x0, x1, top, bottom, char).
def cells(text, p):
    advance = f32(40 + 25.0 * p)
    left = f32(320 - len(text) * advance / 2)
    return [(f32(left + k * advance), f32(left + k * advance + 50), 370, 420, c)
            for k, c in enumerate(text)]

def luminance(row, x):
    return (row[3 * x] + row[3 * x + 1] + row[3 * x + 2]) / 3.0

# texts: (text, +1 for white letters, -1 for black ones).
def caption(withfont, blankfont, start, end, t, texts):
    _, _, shown = read_png(withfont)
    _, _, plain = read_png(blankfont)
    p = f32((t - start) / (end - start))
    boxes = [(box, sign, text) for text, sign in texts for box in cells(text, p) if box[4] != ' ']
    inked = [0] * len(boxes)
    behind = [[] for _ in boxes]
    stray = 0
    for y in range(480):
        for x in range(640):
            before = luminance(plain[y], x)
            change = luminance(shown[y], x) - before
            hits = [i for i, ((x0, x1, top, bottom, _), _, _) in enumerate(boxes)
                    if x0 - 1 <= x + 0.5 <= x1 + 1 and top - 1 <= y + 0.5 <= bottom + 1]
            for i in hits:
                behind[i].append(before)
                if boxes[i][1] * change > 6:
                    inked[i] += 1
            if abs(change) > 6 and not hits:
                stray += 1
    if stray:
        sys.exit('t = %d: %d pixels changed outside the caption cells' % (t, stray))
    shown_cells = 0
    for i, ((x0, x1, _, _, char), sign, text) in enumerate(boxes):
        mean = sum(behind[i]) / len(behind[i])
        # Black letters cannot show on black, nor white ones on white.
        visible = mean > 40 if sign < 0 else mean < 215
        if visible and inked[i] < 20:
            sys.exit('t = %d: "%s" shows no %s glyph in the cell of %r at x %.1f to %.1f'
                     % (t, text, 'white' if sign > 0 else 'black', char, x0, x1))
        shown_cells += visible
    if shown_cells < 3:
        sys.exit('t = %d: only %d caption cells lie on a background that can show them'
                 % (t, shown_cells))

if __name__ == '__main__':
    if sys.argv[1] == 'black':
        for path in sys.argv[2:]:
            black(path)
    else:
        withfont, blankfont = sys.argv[2], sys.argv[3]
        start, end, t = (int(v) for v in sys.argv[4:7])
        texts = [(word[1:], 1 if word[0] == 'W' else -1) for word in sys.argv[7:]]
        caption(withfont, blankfont, start, end, t, texts)
PYTHON

# Each scene's first frame, from a fresh start.
for t in 48078 60096 72115 84143; do
  frame "$CONTENT" $t "$OUT/black"
done
python3 "$OUT/frames.py" black "$OUT"/black/*.png || fail "first frames"

# Captions, at times where the text is mostly opaque and much of the
# background behind it is neither black nor white. A case is: music time,
# scene start and end, then each text with B (black) or W (white) before it.
while read -r t start end texts; do
  frame "$CONTENT" "$t" "$OUT/withfont"
  frame "$OUT/blankfont" "$t" "$OUT/blankfont-frames"
  name=$(printf '%06d.png' "$t")
  eval "set -- $texts"
  python3 "$OUT/frames.py" caption "$OUT/withfont/$name" "$OUT/blankfont-frames/$name" \
    "$start" "$end" "$t" "$@" || fail "caption at $t"
done <<CASES
68000 60096 72115 BVIRTUALITY
84140 72115 84143 BSPEED
100000 84143 108163 BAMBIENCE
124000 108163 132194 'B MOTION' 'WE      '
CASES
echo "first-half scene frames passed"
