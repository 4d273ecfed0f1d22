#!/bin/bash
# The capture tool on generated content: the whole timeline at a coarse step
# as PNG frames and a contact sheet, the start-up screen, and a short video
# with the soundtrack, and a video capture that fails part way. Then the
# tool's refusals of bad arguments.
set -uo pipefail
BUILD=$(cd "$1" && pwd)
CONTENT=${MVRK_TEST_CONTENT:-}
if [ -z "$CONTENT" ] || [ ! -d "$CONTENT/data" ]; then
  echo "no generated content in MVRK_TEST_CONTENT; run through ctest"
  exit 1
fi
OUT=$(mktemp -d /tmp/mvrk_capture_XXXXXX)
trap 'rm -rf "$OUT"' EXIT
CAPTURE=$BUILD/mvrk_capture
fail() { echo "FAIL: $*"; exit 1; }

# The frame folder and the sheet's folder do not exist yet: the tool makes them.
"$CAPTURE" --data "$CONTENT" --from 0 --to 223999 --step 16000 --frames "$OUT/new/frames" \
  --sheet "$OUT/sheets/sheet.png" --startup "$OUT/startup.png" 2> "$OUT/log" || { cat "$OUT/log"; fail "whole timeline"; }
mv "$OUT/new/frames" "$OUT/frames"
mv "$OUT/sheets/sheet.png" "$OUT/sheet.png"
count=$(ls "$OUT/frames" | wc -l)
[ "$count" -eq 14 ] || fail "expected 14 frames (0 to 208000 by 16000), got $count"
for name in 000000 016000 208000; do
  [ -s "$OUT/frames/$name.png" ] || fail "frame $name.png missing"
done
# PNG header: width 640, height 480, 8 bits, colour type 2 (RGB).
header=$(od -An -tx1 -j16 -N10 "$OUT/frames/000000.png" | tr -d ' \n')
[ "$header" = "00000280000001e00802" ] || fail "frame is not a 640 x 480 RGB PNG ($header)"
[ -s "$OUT/sheet.png" ] || fail "no contact sheet"
[ -s "$OUT/startup.png" ] || fail "no start-up screen"
grep -q "start-up took" "$OUT/log" || fail "no start-up time reported"

if command -v ffmpeg > /dev/null; then
  # It replaces an older video, which lends it its mode.
  echo "an older video" > "$OUT/clip.mp4"
  chmod 0640 "$OUT/clip.mp4"
  "$CAPTURE" --data "$CONTENT" --from 100000 --to 101960 --step 40 --video "$OUT/clip.mp4" 2> "$OUT/log" \
    || { cat "$OUT/log"; fail "video"; }
  [ "$(stat -c %a "$OUT/clip.mp4")" = 640 ] || fail "the video took mode $(stat -c %a "$OUT/clip.mp4"), not the older one's 640"
  streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$OUT/clip.mp4" | sort | tr '\n' ' ')
  [ "$streams" = "audio video " ] || fail "video streams: $streams"
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$OUT/clip.mp4")
  awk -v d="$duration" 'BEGIN { exit !(d > 1.9 && d < 2.2) }' || fail "video lasts $duration s, not 2"
  frames=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 "$OUT/clip.mp4")
  [ "$frames" -eq 50 ] || fail "video has $frames frames, not 50"
  [ -z "$(find "$OUT" -maxdepth 1 -name '*.part*')" ] || fail "the video's temporary was left: $(ls "$OUT")"

  # A capture that fails part way (its second frame's name is taken by a
  # folder) keeps an older video of the name as it was, and leaves neither
  # its temporary nor ffmpeg running.
  mkdir -p "$OUT/failing/001040.png"
  echo "an older video" > "$OUT/keep.mp4"
  "$CAPTURE" --data "$CONTENT" --from 1000 --to 1200 --step 40 --video "$OUT/keep.mp4" \
    --frames "$OUT/failing" 2> "$OUT/log"
  status=$?
  { [ $status -eq 1 ] && grep -q "001040.png: Is a directory" "$OUT/log"; } ||
    { cat "$OUT/log"; fail "a frame that cannot be written: status $status"; }
  [ "$(cat "$OUT/keep.mp4")" = "an older video" ] || fail "the failed capture replaced the older video"
  [ -z "$(find "$OUT" -maxdepth 1 -name 'keep.part*')" ] || fail "the failed capture left $(ls "$OUT"/keep.part*)"
  running=$(grep -la "file:$OUT/kee[p]" /proc/[0-9]*/cmdline 2> /dev/null)
  [ -z "$running" ] || fail "ffmpeg runs on after the failed capture: $running"
fi

# --fps: frame k at round(k * 1000 / N) ms, named by its music time; --size
# gives the frames (and the video) that size.
"$CAPTURE" --data "$CONTENT" --from 50000 --to 50070 --fps 60 --size 1920x1080 --frames "$OUT/fps" \
  2> "$OUT/log" || { cat "$OUT/log"; fail "--fps 60 --size 1920x1080 frames"; }
names=$(ls "$OUT/fps" | tr '\n' ' ')
[ "$names" = "050000.png 050017.png 050033.png 050050.png 050067.png " ] || fail "--fps 60 frames: $names"
header=$(od -An -tx1 -j16 -N10 "$OUT/fps/050033.png" | tr -d ' \n')
[ "$header" = "00000780000004380802" ] || fail "scaled frame is not a 1920 x 1080 RGB PNG ($header)"

if command -v ffmpeg > /dev/null; then
  "$CAPTURE" --data "$CONTENT" --from 100000 --to 100990 --fps 60 --size 1440x1080 --video "$OUT/fps.mp4" \
    2> "$OUT/log" || { cat "$OUT/log"; fail "--fps 60 video"; }
  info=$(ffprobe -v error -select_streams v -count_frames \
    -show_entries stream=width,height,r_frame_rate,nb_read_frames -of csv=p=0 "$OUT/fps.mp4")
  [ "$info" = "1440,1080,60/1,60" ] || fail "--fps 60 --size 1440x1080 video is $info"
fi

# --size fits the picture to the output: at 1920 x 1080 the output is the
# band of the 1920 x 1440 frame (what --size 1920x1440 gives) byte for byte,
# at 2560 x 1080 the same between black pillars 320 wide.
rgb() { ffmpeg -v error -i "$1" ${2:+-vf "$2"} -f rawvideo -pix_fmt rgb24 -; }
for size in 1920x1080 1920x1440 2560x1080; do
  "$CAPTURE" --data "$CONTENT" --from 100000 --to 100020 --size $size --frames "$OUT/shape-$size" \
    2> "$OUT/log" || { cat "$OUT/log"; fail "--size $size frames"; }
done
band=$(rgb "$OUT/shape-1920x1440/100020.png" crop=1920:1080:0:180 | sha256sum)
[ "$(rgb "$OUT/shape-1920x1080/100020.png" | sha256sum)" = "$band" ] ||
  fail "the 1920x1080 frame is not the band of the 1920x1440 one"
[ "$(rgb "$OUT/shape-2560x1080/100020.png" crop=1920:1080:320:0 | sha256sum)" = "$band" ] ||
  fail "the 2560x1080 frame does not hold the band between its pillars"
for pillar in crop=320:1080:0:0 crop=320:1080:2240:0; do
  [ "$(rgb "$OUT/shape-2560x1080/100020.png" $pillar | tr -d '\0' | wc -c)" -eq 0 ] ||
    fail "a pillar of the 2560x1080 frame is not black ($pillar)"
done

# --size draws the frame natively: a 1280 x 960 frame, not a scaled 640 x 480
# one, so its 2 x 2 blocks are not all flat. --msaa 4 gives the silhouettes
# values between their two sides: of the pixels between two neighbours that
# differ by more than 48 of 255, more lie strictly between them than without.
"$CAPTURE" --data "$CONTENT" --from 147000 --to 147000 --size 1280x960 --frames "$OUT/native" \
  2> "$OUT/log" || { cat "$OUT/log"; fail "--size 1280x960 frames"; }
flat=$(ffmpeg -v error -i "$OUT/native/147000.png" -f rawvideo -pix_fmt gray - | od -An -tu1 -v -w1280 |
       awk 'NR % 2 == 1 { for (i = 1; i <= NF; i++) top[i] = $i; next }
            { for (i = 1; i < NF; i += 2) { n++; if (top[i] == top[i + 1] && top[i] == $i && $i == $(i + 1)) f++ } }
            END { print int(100 * f / n) }')
[ "$flat" -lt 90 ] || fail "the 1280x960 frame is $flat % flat 2 x 2 blocks: scaled, not native"
between() {
  ffmpeg -v error -i "$1" -f rawvideo -pix_fmt gray - | od -An -tu1 -v -w640 |
    awk '{ for (i = 2; i < NF; i++) { a = $(i - 1); b = $i; c = $(i + 1)
             if (a - c > 48 || c - a > 48) { e++; lo = a < c ? a : c; hi = a + c - lo
               if (b > lo + 8 && b < hi - 8) m++ } } }
         END { print int(100 * m / e) }'
}
"$CAPTURE" --data "$CONTENT" --from 147000 --to 147000 --frames "$OUT/plain" 2> "$OUT/log" ||
  { cat "$OUT/log"; fail "frame without --msaa"; }
"$CAPTURE" --data "$CONTENT" --from 147000 --to 147000 --msaa 4 --frames "$OUT/msaa" 2> "$OUT/log"
status=$?
if grep -q "is not offered" "$OUT/log"; then
  [ $status -eq 1 ] || fail "a refused --msaa 4 ended with status $status"
  echo "--msaa 4 refused here: $(cat "$OUT/log")"
else
  [ $status -eq 0 ] || { cat "$OUT/log"; fail "--msaa 4"; }
  plain=$(between "$OUT/plain/147000.png")
  smooth=$(between "$OUT/msaa/147000.png")
  echo "--msaa 4: $smooth % of the edge pixels between their neighbours, $plain % without"
  [ "$smooth" -ge $((plain + 5)) ] || fail "--msaa 4: $smooth % of the edge pixels between, $plain % without"
fi
# A count the driver does not offer ends with the counts it does.
"$CAPTURE" --data "$CONTENT" --to 0 --msaa 8 --sheet "$OUT/msaa8.png" 2> "$OUT/log"
status=$?
if [ $status -ne 0 ]; then
  [ $status -eq 1 ] && grep -q "multisampling with 8 samples is not offered; the driver offers" "$OUT/log" ||
    { cat "$OUT/log"; fail "--msaa 8 refused unclearly (status $status)"; }
fi

# Bad arguments end with a clear message; a command line that cannot be read
# gets status 2 and the usage, a failure of the work status 1.
while IFS='|' read -r status args message; do
  out=$("$CAPTURE" $args 2>&1)
  got=$?
  [ $got -eq "$status" ] || fail "for '$args' expected status $status, got $got: $out"
  # A here-string, not a pipe: grep -q ends at its match, and a pipe would
  # then fail the echo still writing the usage's later lines (pipefail).
  grep -q -- "$message" <<< "$out" || fail "for '$args' expected '$message', got: $out"
  if [ "$status" -eq 2 ]; then
    grep -q -- "^usage: mvrk_capture" <<< "$out" || fail "no usage for '$args': $out"
  fi
done <<CASES
2|--data $CONTENT --step 0 --sheet $OUT/x.png|--step must be at least 1
2|--data $CONTENT --from 5000 --to 1000 --sheet $OUT/x.png|is after --to
2|--data $CONTENT --from abc --sheet $OUT/x.png|whole number of milliseconds
2|--data $CONTENT|nothing to write
2|--data $CONTENT --bogus 1|unknown option
2|--data $CONTENT --fps 0 --sheet $OUT/x.png|--fps takes a whole number
2|--data $CONTENT --fps 60x --sheet $OUT/x.png|--fps takes a whole number
2|--data $CONTENT --fps 60 --step 10 --sheet $OUT/x.png|give --step or --fps, not both
2|--data $CONTENT --size 1440 --sheet $OUT/x.png|--size takes WIDTHxHEIGHT
2|--data $CONTENT --size 8x6 --sheet $OUT/x.png|--size takes WIDTHxHEIGHT
2|--data $CONTENT --size 300x240 --sheet $OUT/x.png|from 320x180
2|--data $CONTENT --size 320x179 --sheet $OUT/x.png|from 320x180
2|--data $CONTENT --size 40000x30000 --sheet $OUT/x.png|32768 a side
1|--data $CONTENT --size 32768x18432 --sheet $OUT/x.png|larger than the driver's
2|--data $CONTENT --msaa 3 --sheet $OUT/x.png|--msaa takes 2, 4 or 8
2|--data $CONTENT --size 1441x1080 --video $OUT/x.mp4|the video needs an even --size
2|--data $CONTENT --sheet|--sheet needs a value
1|--data $OUT/missing --sheet $OUT/x.png|cannot enter the content directory
1|--data $OUT --to 100 --sheet $OUT/x.png|font.jpg
1|--data $CONTENT --frames $OUT/frames/000000.png/inside --to 0|cannot create the folder
CASES
echo "capture tests passed"
