#!/bin/bash
# The capture's video as players and video sites read it: the format ffprobe
# reports (H.264 High, 4:2:0, BT.709 at limited range, a closed GOP of half a
# second, two B-frames, AAC-LC 48 kHz stereo, the index before the media and
# no fragments, the length asked for), Matroska beside it, and the colours:
# frames of three scenes decoded as a player decodes tagged HD video, against
# the PNG frames of the same run.
set -uo pipefail
BUILD=$(cd "$1" && pwd)
CONTENT=${MVRK_TEST_CONTENT:-}
if [ -z "$CONTENT" ] || [ ! -d "$CONTENT/data" ]; then
  echo "no generated content in MVRK_TEST_CONTENT; run through ctest"
  exit 1
fi
command -v ffmpeg > /dev/null && command -v ffprobe > /dev/null || { echo "no ffmpeg: skipped"; exit 77; }
OUT=$(mktemp -d /tmp/mvrk_video_XXXXXX)
trap 'rm -rf "$OUT"' EXIT
CAPTURE=${MVRK_CAPTURE:-$BUILD/mvrk_capture}
fail() { echo "FAIL: $*"; exit 1; }
probe() { ffprobe -v error "$@"; }

echo "== the MP4 file"
# One second at 60 frames a second: 60 frames, a key frame every 30.
"$CAPTURE" --data "$CONTENT" --from 100000 --to 100990 --fps 60 --size 320x180 --video "$OUT/v.mp4" \
  2> "$OUT/log" || { cat "$OUT/log"; fail "the 60 frames a second video"; }
video=$(probe -select_streams v -show_entries stream=codec_name,profile,pix_fmt,color_range,color_space,color_transfer,color_primaries,has_b_frames,nb_frames \
  -of csv=p=0 "$OUT/v.mp4")
[ "$video" = "h264,High,2,yuv420p,tv,bt709,bt709,bt709,60" ] || fail "the video stream is $video"
audio=$(probe -select_streams a -show_entries stream=codec_name,profile,sample_rate,channels -of csv=p=0 "$OUT/v.mp4")
[ "$audio" = "aac,LC,48000,2" ] || fail "the sound is $audio"
# Key frames at most 30 frames apart, each an IDR frame (a closed GOP: no
# frame after one refers to frames before it), and runs of B-frames of 2 at
# most, with some of 2.
types=$(probe -select_streams v -show_entries frame=pict_type,key_frame -of csv=p=0 "$OUT/v.mp4" | tr -d ',\n')
gaps=$(grep -o '1I[^1]*' <<< "$types" | awk '{ n = (length($0)) / 2; if (n > max) max = n } END { print max }')
[ "$gaps" -le 30 ] || fail "key frames $gaps frames apart: $types"
[ "${types:0:2}" = "1I" ] || fail "the video does not start with a key frame: $types"
idr=$(probe -select_streams v -show_entries packet=flags -of csv=p=0 "$OUT/v.mp4" | grep -c K)
keys=$(grep -o 1I <<< "$types" | wc -l)
nal_idr=$(ffmpeg -hide_banner -nostats -i "$OUT/v.mp4" -map 0:v -c copy -bsf:v trace_headers -f null - 2>&1 |
  grep -c 'nal_unit_type .* = 5$')
[ "$keys" -ge 2 ] && [ "$idr" -eq "$keys" ] || fail "$keys key frames, $idr key packets"
[ "$nal_idr" -ge "$keys" ] || fail "the key frames are not IDR frames (closed GOP): $nal_idr IDR slices for $keys"
bs=$(sed 's/[01]//g' <<< "$types")
grep -q BBB <<< "$bs" && fail "more than two B-frames in a row: $bs"
grep -q PBBP <<< "$bs" || grep -q IBBP <<< "$bs" || fail "no two B-frames in a row: $bs"
# The index (moov) before the media (mdat), no fragments (moof), no edit list.
boxes=$(grep -a -o 'moov\|mdat\|moof\|elst' "$OUT/v.mp4" | tr '\n' ' ')
[ "${boxes:0:10}" = "moov mdat " ] || fail "the boxes are in the order $boxes"
grep -q 'moof\|elst' <<< "$boxes" && fail "a fragment or an edit list: $boxes"
# The pictures last the second asked for, from time 0. The sound's 1024-sample
# packets, with the encoder's priming packet that no edit list hides, may add
# up to two of them (43 ms) to the file.
times=$(probe -select_streams v -show_entries stream=start_time,duration -of csv=p=0 "$OUT/v.mp4")
awk -F, '{ exit !($1 == 0 && $2 > 1 - 1 / 60 && $2 < 1 + 1 / 60) }' <<< "$times" ||
  fail "the pictures start and last $times, not 0 and 1 s"
length=$(probe -show_entries format=duration -of csv=p=0 "$OUT/v.mp4")
awk -v d="$length" 'BEGIN { exit !(d > 1 - 1 / 60 && d < 1 + 1 / 60 + 2048 / 48000) }' ||
  fail "the file lasts $length s, not 1"
[ -z "$(find "$OUT" -maxdepth 1 -name '*.part*')" ] || fail "a temporary was left: $(ls "$OUT")"
echo "ok: $video; $audio; key frames <= $gaps apart; $boxes; $times s"

echo "== Matroska"
"$CAPTURE" --data "$CONTENT" --from 100000 --to 100480 --step 40 --size 320x180 --video "$OUT/v.mkv" \
  2> "$OUT/log" || { cat "$OUT/log"; fail "the Matroska video"; }
format=$(probe -show_entries format=format_name -of default=nw=1:nk=1 "$OUT/v.mkv")
[ "$format" = "matroska,webm" ] || fail "v.mkv is $format"
mkv=$(probe -select_streams v -show_entries stream=codec_name,color_space,nb_read_frames -count_frames -of csv=p=0 "$OUT/v.mkv")
[ "$mkv" = "h264,bt709,13" ] || fail "v.mkv's video is $mkv"
echo "ok: Matroska, $mkv"

echo "== colours"
# rgb FILE [FILTER]: the RGB bytes of a picture or of every frame of a video.
# Videos are decoded as players decode tagged HD video (BT.709, limited
# range), with swscale's exact rounding standing in for a player's shader.
decode() {
  ffmpeg -v error -i "$1" -vf scale=in_color_matrix=bt709:in_range=tv:flags=accurate_rnd+full_chroma_int,format=rgb24 \
    -f rawvideo -
}
png() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 -; }
# Frames 2 and 5 of six at 25 frames a second (a B- and a P-frame) of three
# scenes, each captured as PNG frames and a video in one run.
: > "$OUT/pngs.rgb"
: > "$OUT/video.rgb"
for from in 30000 100000 190000; do
  "$CAPTURE" --data "$CONTENT" --from $from --to $((from + 200)) --step 40 --size 640x360 \
    --frames "$OUT/c$from" --video "$OUT/c$from.mp4" 2> "$OUT/log" || { cat "$OUT/log"; fail "colours at $from"; }
  for k in 1 4; do
    png "$OUT/c$from/$(printf %06d $((from + 40 * k))).png" >> "$OUT/pngs.rgb"
  done
  decode "$OUT/c$from.mp4" > "$OUT/frames.rgb"
  for k in 1 4; do
    tail -c +$((k * 640 * 360 * 3 + 1)) "$OUT/frames.rgb" | head -c $((640 * 360 * 3)) >> "$OUT/video.rgb"
  done
done
[ "$(stat -c %s "$OUT/pngs.rgb")" -eq $((6 * 640 * 360 * 3)) ] &&
  [ "$(stat -c %s "$OUT/video.rgb")" -eq $((6 * 640 * 360 * 3)) ] || fail "not six frames of each"
# Per channel, the mean difference and the mean signed difference of the
# decoded frames from the PNG frames. Measured at 640x360: the conversion
# alone (lossless encoding) 0.46 0.18 0.69, signed within 0.11; with the
# compression 0.97 0.71 1.26, signed -0.02 +0.01 +0.14 (4:2:0 blurs the
# saturated edges, most in blue). Frames converted by the SD matrix, as
# ffmpeg does unasked, and decoded as tagged HD video measured 2.84 3.75
# 3.22, signed +0.24 +1.37 +0.07. The bounds sit between the two.
stats=$(paste <(od -An -tu1 -v -w1 "$OUT/pngs.rgb") <(od -An -tu1 -v -w1 "$OUT/video.rgb") | awk '
  { c = (NR - 1) % 3; d = $2 - $1; s[c] += d; a[c] += (d < 0 ? -d : d); n[c]++ }
  END { for (c = 0; c < 3; c++) printf "%.3f %.3f ", a[c] / n[c], s[c] / n[c] }')
echo "mean |difference| and mean difference, R G B: $stats"
read -r ar sr ag sg ab sb <<< "$stats"
for pair in "R $ar $sr" "G $ag $sg" "B $ab $sb"; do
  read -r channel mean signed <<< "$pair"
  awk -v m="$mean" -v s="$signed" 'BEGIN { exit !(m < 1.6 && s > -0.4 && s < 0.4) }' ||
    fail "$channel is off by $mean on average, $signed signed"
done
echo "ok: colours"
