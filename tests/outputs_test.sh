#!/bin/bash
# What the programs write, when names and disks are hostile:
# - no program runs a shell: no popen( or system( in the sources;
# - the capture takes any name for --data, --video, --frames, --sheet and
#   --startup (quotes, $(...), backquotes, a semicolon, a space, a newline, a
#   leading dash, UTF-8): each run writes exactly the named files, and the
#   commands hidden in the names never run (their marker never appears);
# - a --video capture stopped by SIGTERM or SIGINT ends with 143 or 130, says
#   how many frames it wrote, and the file holds exactly those frames with
#   their sound; one killed outright (ffmpeg too) keeps an older video of the
#   name and leaves its temporary beside it, which plays; a stopped --frames
#   capture leaves only whole PNG files;
# - an output that cannot be written (a full disk, /dev/full, a read-only
#   folder) ends the capture, the content generator and the music generator
#   with status 1 and a message naming the file and the system's reason,
#   with no partial file under the final name and an older file kept.
# The disk cases mount small tmpfs folders; where mounting is not allowed
# they are skipped, saying so.
set -uo pipefail
BUILD=$(cd "$1" && pwd)
SOURCE=$(cd "$2" && pwd)
CONTENT=${MVRK_TEST_CONTENT:-}
if [ -z "$CONTENT" ] || [ ! -d "$CONTENT/data" ]; then
  echo "no generated content in MVRK_TEST_CONTENT; run through ctest"
  exit 1
fi
OUT=$(mktemp -d /tmp/mvrk_outputs_XXXXXX)
MOUNTS=()
cleanup() {
  for m in "${MOUNTS[@]}"; do umount "$m" 2>/dev/null; done
  rm -rf "$OUT"
}
trap cleanup EXIT
CAPTURE=$BUILD/mvrk_capture
fail() { echo "FAIL: $*"; exit 1; }

# Every file under a folder is whole: no temporary left, every PNG ends with
# its IEND chunk.
whole_pngs() {
  local folder=$1
  [ -z "$(find "$folder" -name '*.part')" ] || fail "temporary files left in $folder: $(find "$folder" -name '*.part')"
  local png
  for png in "$folder"/*.png; do
    [ -e "$png" ] || continue
    [ "$(tail -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = "49454e44ae426082" ] ||
      fail "$png is not a whole PNG"
  done
}

frames_in() {
  ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames \
    -of csv=p=0 "$1" 2>/dev/null
}

echo "== no shell"
if grep -nE '\b(popen|system)[[:space:]]*\(' -r "$SOURCE"/engine "$SOURCE"/host "$SOURCE"/scenes \
     "$SOURCE"/tools "$SOURCE"/bench --include='*.cpp' --include='*.h' --include='*.c'; then
  fail "a program runs a shell (above)"
fi

echo "== hostile names"
MARK=$OUT/MARK
cd "$OUT"
names=(
  "q'; touch $MARK; echo '"
  "d\"; touch $MARK; echo \""
  "\$(touch $MARK)"
  "\`touch $MARK\`"
  "s; touch $MARK"
  "with space"
  $'new\nline'
  "-i"
  "Grüße 日本"
)
for name in "${names[@]}"; do
  rm -rf "$OUT/case"
  mkdir "$OUT/case"
  (
    cd "$OUT/case" || exit 1
    ln -s "$CONTENT" "./$name" 2>/dev/null || { mkdir -p "./$(dirname -- "$name")"; ln -s "$CONTENT" "./$name"; }
    "$CAPTURE" --data "$name" --from 1000 --to 1040 --video "$name.mp4" --frames "$name-frames" \
      --sheet "$name.png" --startup "$name-startup.png" > log 2>&1
  )
  status=$?
  shown=$(printf '%q' "$name")
  [ ! -e "$MARK" ] || fail "the name $shown ran a command"
  [ $status -eq 0 ] || { cat "$OUT/case/log"; fail "the name $shown: status $status"; }
  for file in "$name.mp4" "$name.png" "$name-startup.png" "$name-frames/001000.png" \
              "$name-frames/001040.png"; do
    [ -s "$OUT/case/$file" ] || fail "the name $shown: $(printf '%q' "$file") not written"
  done
  [ "$(frames_in "$OUT/case/$name.mp4")" = 3 ] || fail "the name $shown: the video is not 3 frames"
  echo "ok: $shown"
done
cd "$OUT"

echo "== interrupted captures"
for signal in TERM INT; do
  expect=$([ $signal = TERM ] && echo 143 || echo 130)
  "$CAPTURE" --data "$CONTENT" --from 20000 --to 80000 --fps 25 --video "$OUT/$signal.mp4" \
    --frames "$OUT/$signal-frames" 2> "$OUT/log" &
  pid=$!
  # Stop it once frames are coming: after the first progress line.
  for _ in $(seq 1 600); do
    grep -q "^frame " "$OUT/log" && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  sleep 1
  kill -$signal $pid
  wait $pid
  status=$?
  [ $status -eq "$expect" ] || { cat "$OUT/log"; fail "SIG$signal: status $status, not $expect"; }
  written=$(sed -n 's/.*stopped by SIG'$signal': wrote \([0-9]*\) of 1501 frames.*/\1/p' "$OUT/log")
  [ -n "$written" ] && [ "$written" -gt 0 ] && [ "$written" -lt 1501 ] ||
    { cat "$OUT/log"; fail "SIG$signal: no count of the frames written"; }
  got=$(frames_in "$OUT/$signal.mp4")
  [ "$got" = "$written" ] || fail "SIG$signal: the capture wrote $written frames, the video holds $got"
  video=$(ffprobe -v error -select_streams v -show_entries stream=duration -of csv=p=0 "$OUT/$signal.mp4")
  audio=$(ffprobe -v error -select_streams a -show_entries stream=duration -of csv=p=0 "$OUT/$signal.mp4")
  awk -v v="$video" -v a="$audio" 'BEGIN { exit !(a > v - 0.1 && a < v + 0.2) }' ||
    fail "SIG$signal: the sound lasts $audio s, the pictures $video s"
  whole_pngs "$OUT/$signal-frames"
  [ ! -e "$OUT/$signal.part.mp4" ] || fail "SIG$signal: the video's temporary was left beside it"
  echo "ok: SIG$signal after $written frames, the video holds them, sound $audio s for $video s"
done

# Killed outright, ffmpeg too: the older video of the name is kept, and the
# temporary beside it plays.
echo "an older video" > "$OUT/kill.mp4"
"$CAPTURE" --data "$CONTENT" --from 20000 --to 80000 --fps 25 --video "$OUT/kill.mp4" 2> "$OUT/log" &
pid=$!
# Killed once ffmpeg has begun its second fragment, so the first is whole.
for _ in $(seq 1 1200); do
  [ "$(grep -a -o moof "$OUT/kill.part.mp4" 2>/dev/null | wc -l)" -ge 2 ] && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
# ffmpeg too: the children of the capture, read from /proc (no procps needed).
children=$(grep -l "^PPid:[[:space:]]*$pid\$" /proc/[0-9]*/status 2>/dev/null | cut -d/ -f3)
[ -n "$children" ] || fail "SIGKILL: no ffmpeg under the capture"
kill -KILL $children $pid
wait $pid 2>/dev/null
got=$(frames_in "$OUT/kill.part.mp4")
[ -n "$got" ] && [ "$got" -gt 0 ] || fail "SIGKILL: the video left behind does not play (frames: '$got')"
[ "$(cat "$OUT/kill.mp4")" = "an older video" ] || fail "SIGKILL: the older video was not kept"
echo "ok: SIGKILL, the older video kept, kill.part.mp4 plays $got frames"

echo "== outputs that cannot be written"
# expect_failure WHAT FILE REASON COMMAND...: status 1 and "FILE...REASON" on
# standard error.
expect_failure() {
  local what=$1 file=$2 reason=$3
  shift 3
  "$@" > "$OUT/log" 2>&1
  local status=$?
  [ $status -eq 1 ] || { cat "$OUT/log"; fail "$what: status $status, not 1"; }
  grep -qF "$file" "$OUT/log" && grep -qF "$reason" "$OUT/log" ||
    { cat "$OUT/log"; fail "$what: the message does not name $file and '$reason'"; }
  echo "ok: $what"
}
expect_failure "sheet on /dev/full" /dev/full "No space left on device" \
  "$CAPTURE" --data "$CONTENT" --to 0 --sheet /dev/full
expect_failure "start-up screen on /dev/full" /dev/full "No space left on device" \
  "$CAPTURE" --data "$CONTENT" --to 0 --startup /dev/full
expect_failure "video on /dev/full" /dev/full "No space left on device" \
  "$CAPTURE" --data "$CONTENT" --from 1000 --to 1400 --video /dev/full

# A small tmpfs that fills, and a read-only one.
SMALL=$OUT/small
READONLY=$OUT/readonly
mkdir -p "$SMALL" "$READONLY"
if ! mount -t tmpfs -o size=600k tmpfs "$SMALL" 2> "$OUT/mount.log"; then
  echo "skipped: the full-disk and read-only cases need to mount a tmpfs: $(cat "$OUT/mount.log")"
  echo "outputs tests passed"
  exit 0
fi
MOUNTS+=("$SMALL")
mount -t tmpfs -o size=1m tmpfs "$READONLY" && MOUNTS+=("$READONLY") || fail "second tmpfs"
echo "an older sheet" > "$READONLY/sheet.png"
mount -o remount,ro "$READONLY" || fail "remount read-only"

expect_failure "frames on a full disk" "$SMALL/frames/" "No space left on device" \
  "$CAPTURE" --data "$CONTENT" --from 0 --to 4000 --step 100 --frames "$SMALL/frames"
whole_pngs "$SMALL/frames"
rm -rf "$SMALL"/*

dd if=/dev/urandom of="$SMALL/filler" bs=1k count=500 status=none
echo "an older sheet" > "$SMALL/sheet.png"
expect_failure "sheet on a full disk" "$SMALL/sheet.png" "No space left on device" \
  "$CAPTURE" --data "$CONTENT" --from 0 --to 200000 --step 20000 --sheet "$SMALL/sheet.png"
[ "$(cat "$SMALL/sheet.png")" = "an older sheet" ] || fail "the failed sheet replaced the older one"
[ "$(ls -A "$SMALL" | tr '\n' ' ')" = "filler sheet.png " ] || fail "files left: $(ls -A "$SMALL")"
rm -f "$SMALL/filler"

echo "an older video" > "$SMALL/clip.mp4"
expect_failure "video on a full disk" "$SMALL/clip.mp4" "No space left on device" \
  "$CAPTURE" --data "$CONTENT" --from 0 --to 20000 --step 40 --video "$SMALL/clip.mp4"
[ "$(cat "$SMALL/clip.mp4")" = "an older video" ] || fail "the unfinished video replaced the older one"
[ "$(ls -A "$SMALL" | tr '\n' ' ')" = "clip.mp4 sheet.png " ] || fail "files left: $(ls -A "$SMALL")"
rm -f "$SMALL/clip.mp4"

expect_failure "frames in a read-only folder" "$READONLY/frames" "Read-only file system" \
  "$CAPTURE" --data "$CONTENT" --to 0 --frames "$READONLY/frames"
expect_failure "sheet in a read-only folder" "$READONLY/sheet.png" "Read-only file system" \
  "$CAPTURE" --data "$CONTENT" --to 0 --sheet "$READONLY/sheet.png"
[ "$(cat "$READONLY/sheet.png")" = "an older sheet" ] || fail "the read-only sheet changed"
expect_failure "video in a read-only folder" "$READONLY/clip.mp4" "Read-only file system" \
  "$CAPTURE" --data "$CONTENT" --to 200 --video "$READONLY/clip.mp4"

rm -rf "$SMALL"/*
expect_failure "content on a full disk" "$SMALL/" "No space left on device" \
  "$BUILD/mvrk_content" "$SMALL/content"
whole_pngs "$SMALL/content"
[ -z "$(find "$SMALL" -name '*.part')" ] || fail "the content generator left temporary files"
expect_failure "content in a read-only folder" "$READONLY/content" "Read-only file system" \
  "$BUILD/mvrk_content" "$READONLY/content"

rm -rf "$SMALL"/*
echo "an older soundtrack" > "$SMALL/soundtrack.ogg"
expect_failure "music on a full disk" "$SMALL/soundtrack.ogg" "No space left on device" \
  "$BUILD/mvrk_music" "$SMALL/soundtrack.ogg"
[ "$(cat "$SMALL/soundtrack.ogg")" = "an older soundtrack" ] || fail "the failed soundtrack replaced the older one"
[ "$(ls -A "$SMALL")" = soundtrack.ogg ] || fail "the music generator left files: $(ls -A "$SMALL")"
echo "outputs tests passed"
