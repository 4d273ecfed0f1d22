#!/bin/bash
# The demo maker's workflow in the real demo program:
# - --help prints the usage on standard output with status 0; a bad argument
#   prints it on standard error with status 2, before any window opens;
# - under Xvfb, on an 800 x 600 screen (no 640 x 480 mode, so a full-screen
#   start would ask), `--window --from 200000` opens its window without
#   asking and plays. Space pauses it: two screen grabs a second apart are
#   the same. F1 shows the overlay over the paused picture and F1 again takes
#   it away, leaving the very same picture. F5 with a broken camera path file
#   reports the file and plays on. Space again resumes: the picture moves.
#   The window takes a new size and the frame fills it.
#   The demo then ends by itself, with status 0, once the 24 s of music from
#   200000 ms have played (the paused time not counted).
# With MVRK_OVERLAY_SHOT set to a file name, the grab with the overlay is
# kept there as a PNG.
set -uo pipefail
BUILD=$(cd "$1" && pwd)
DEMO=$BUILD/mvrk_dms
failed=0

# --help and bad arguments need no display and no content.
OUT=$(mktemp -d /tmp/mvrk_workflow_XXXXXX)
trap 'rm -rf "$OUT"' EXIT
"$DEMO" --help > "$OUT/stdout" 2> "$OUT/stderr"
status=$?
if [ $status -eq 0 ] && grep -q "^usage: mvrk_dms" "$OUT/stdout" && grep -q -- "--from MS" "$OUT/stdout" &&
   grep -q "^  F1 " "$OUT/stdout" && [ ! -s "$OUT/stderr" ]; then
  echo "--help: status 0, usage on standard output"
else
  echo "--help: status $status, expected 0 with the usage on standard output only"
  cat "$OUT/stdout" "$OUT/stderr"
  failed=1
fi
for args in "--from abc" "--from -5" "--from 224000" "--from 1.5" "--from" "--fullscreen" "content"; do
  # shellcheck disable=SC2086
  env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$DEMO" $args > "$OUT/stdout" 2> "$OUT/stderr"
  status=$?
  if [ $status -eq 2 ] && grep -q "^usage: mvrk_dms" "$OUT/stderr" && [ ! -s "$OUT/stdout" ]; then
    echo "$args: status 2, usage on standard error"
  else
    echo "$args: status $status, expected 2 with the usage on standard error only"
    cat "$OUT/stdout" "$OUT/stderr"
    failed=1
  fi
done

if ! command -v Xvfb > /dev/null || ! command -v xdotool > /dev/null ||
   ! command -v ffmpeg > /dev/null; then
  echo "Xvfb, xdotool or ffmpeg missing; the window part is skipped"
  [ $failed -eq 0 ] && exit 77
  exit 1
fi
CONTENT=${MVRK_TEST_CONTENT:-}
if [ -z "$CONTENT" ] || [ ! -d "$CONTENT/data" ]; then
  echo "no generated content in MVRK_TEST_CONTENT; run through ctest"
  exit 1
fi
# The demo writes default.camera and the test breaks a path: work on a copy.
DATA=$OUT/content
mkdir -p "$DATA"
cp -r "$CONTENT"/. "$DATA"/

cat > "$DATA/drive.sh" <<'DRIVE'
#!/bin/bash
# Runs inside the X server with the content as working directory.
set -u
DEMO=$1

"$DEMO" --window --from 200000 > demo.log 2>&1 &
pid=$!

fail() {
  echo "workflow: $*"
  cat demo.log
  kill -9 $pid 2>/dev/null
  exit 1
}

find_window() {
  xwininfo -root -tree 2>/dev/null | awk -v title="\"$1\":" '$2 " " $3 == title || $2 == title {print $1; exit}'
}

# The 640 x 480 top-left of the screen, where the window lies, as raw RGB.
grab() {
  ffmpeg -v error -y -f x11grab -video_size 640x480 -i "$DISPLAY" -frames:v 1 -f rawvideo \
    -pix_fmt rgb24 "$1"
}

brightness() {
  od -An -tu1 -v "$1" | awk '{ for (i = 1; i <= NF; i++) { s += $i; n++ } } END { if (n) print int(s / n); else print 0 }'
}

press() {
  xdotool windowfocus "$wid" 2>/dev/null
  xdotool key "$1"
}

wid=""
for _ in $(seq 1 600); do
  wid=$(find_window mvrk_dms)
  [ -n "$wid" ] && break
  [ -n "$(find_window 'Tuvo GL')" ] && fail "asked about full screen although --window was given"
  kill -0 $pid 2>/dev/null || fail "the demo ended before its window appeared"
  sleep 0.2
done
[ -n "$wid" ] || fail "no window titled mvrk_dms appeared"

# Loading shows a still start-up screen; playing shows a moving picture.
playing=""
for _ in $(seq 1 240); do
  kill -0 $pid 2>/dev/null || fail "the demo ended before it played"
  grab a.rgb && sleep 0.3 && grab b.rgb || fail "no screen grab"
  if ! cmp -s a.rgb b.rgb && [ "$(brightness b.rgb)" -gt 20 ]; then
    playing=$SECONDS
    break
  fi
  sleep 0.2
done
[ -n "$playing" ] || fail "the picture never moved"
echo "workflow: playing after $playing s"

paused_at=$SECONDS
press space
sleep 1
grab paused1.rgb
sleep 1
grab paused2.rgb
cmp -s paused1.rgb paused2.rgb || fail "the picture moved while paused"
echo "workflow: paused, two grabs a second apart are the same"

press F1
sleep 1
grab overlay.rgb
cmp -s overlay.rgb paused2.rgb && fail "F1 showed no overlay"
if [ -n "${MVRK_OVERLAY_SHOT:-}" ]; then
  ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -video_size 640x480 -i overlay.rgb "$MVRK_OVERLAY_SHOT"
fi
press F1
sleep 1
grab hidden.rgb
cmp -s hidden.rgb paused2.rgb || fail "after F1 twice the paused picture is not the same as before"
echo "workflow: F1 shows the overlay and hides it again"

# A path file that cannot be read on reload: reported, the demo plays on.
head -c 4040 /dev/zero > data/scene_outro.camera
press F5
sleep 1
kill -0 $pid 2>/dev/null || fail "the demo ended on reloading a broken camera path"
grep -q 'scene_outro.camera: holds 101 camera records' demo.log ||
  fail "the broken camera path was not reported"
grep -q 'camera paths reloaded, 1 kept their old keys' demo.log || fail "no reload summary"
echo "workflow: F5 reported the broken path and played on"

press space
resumed_at=$SECONDS
sleep 1
grab resumed.rgb
cmp -s resumed.rgb paused2.rgb && fail "the picture did not move after resuming"
echo "workflow: resumed"

# The window is resizable, and the frame grows with it: the strip right of
# x = 640, black root window before, shows the picture.
xprop -id "$wid" WM_NORMAL_HINTS | grep -q "maximum size" && fail "the window is not resizable"
xdotool windowsize "$wid" 800 600
sleep 1
ffmpeg -v error -y -f x11grab -video_size 800x600 -i "$DISPLAY" -frames:v 1 \
  -vf crop=160:400:640:100 -f rawvideo -pix_fmt rgb24 right.rgb
lit=$(od -An -tu1 -v right.rgb | awk '{ for (i = 1; i <= NF; i++) { lit += $i > 0; n++ } } END { print (n && lit * 2 > n) ? 1 : 0 }')
[ "$lit" = 1 ] || fail "the frame did not grow with the window"
echo "workflow: resized to 800 x 600, the frame fills it"

for _ in $(seq 1 120); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.5
done
kill -0 $pid 2>/dev/null && fail "the demo did not end by itself"
wait $pid
status=$?
[ $status -eq 0 ] || fail "ended with status $status"
played=$((SECONDS - playing - (resumed_at - paused_at)))
echo "workflow: ended with status 0 after $played s of music"
# 24 s of music from 200000 ms; the first moving grab comes a little after
# the music starts, and the seconds here are whole.
[ $played -ge 19 ] && [ $played -le 30 ] || fail "played $played s, not about 24"
grep -q "silently" demo.log && fail "the soundtrack did not play"
exit 0
DRIVE

export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
rm -f "$OUT/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3> "$OUT/display" 2> "$OUT/xvfb.log" &
xpid=$!
for _ in $(seq 1 300); do
  grep -q '[0-9]' "$OUT/display" 2>/dev/null && break
  kill -0 $xpid 2>/dev/null || break
  sleep 0.1
done
number=$(tr -dc '0-9' < "$OUT/display" 2>/dev/null)
if [ -z "$number" ]; then
  echo "Xvfb did not start"
  cat "$OUT/xvfb.log"
  kill $xpid 2>/dev/null
  exit 1
fi
(cd "$DATA" && DISPLAY=":$number" SDL_AUDIODRIVER=dummy bash "$DATA/drive.sh" "$DEMO") || failed=1
kill $xpid 2>/dev/null
wait $xpid 2>/dev/null
exit $failed
