#!/bin/bash
# The Windows program under Wine, with Mesa's software GL behind Wine's
# opengl32, on a 1920 x 1080 Xvfb screen:
#   tests/windows/wine_test.sh WINDOWS_BUILD LINUX_BUILD
# WINDOWS_BUILD holds mvrk_dms.exe (scripts/build-windows.sh); LINUX_BUILD
# holds mvrk_capture, whose frames of the same music are the reference for
# the picture, and mvrk_compare; the content comes from $MVRK_TEST_CONTENT (the
# Linux test run's generated content). Cases:
# - the program imports only system DLLs (objdump's import list);
# - the Windows file modules on their own (mvrk_windows_files_test.exe):
#   UTF-8 names through the wide API, replacing an existing file, failures
#   that keep the target and say why;
# - --help prints the usage, status 0;
# - with no arguments, as a double-click starts it: the full-screen question
#   (Wine on Xvfb has no 640 x 480 mode), Yes, and the demo plays;
# - --window --from 110000 --pause: the window shows the demo's picture held
#   at 110 s, near the Linux frame of 110 s (every case that looks at the
#   picture holds the music there, so that a slow machine sees the same
#   picture as a fast one); two right-button releases save default.camera
#   twice, the second over the first; Escape ends it with status 0 and
#   default.camera holds the keys whole;
# - --desktop, held at 110 s, fills the 1920 x 1080 screen: the frame at
#   1920 x 1440, its band edge to edge, no black column at the sides, near
#   the Linux frame of 110 s;
# - --window --size 1024x768 --msaa 4: a window of that client size with the
#   frame native and multisampled in it, and at 800 x 600 after a resize;
# - a missing camera path and a corrupt model each end it with the program's
#   message, in a box and on standard error as the Linux build says it (its
#   capture tool on the same content), and status 1.
# Wine limits stepped around: its first start (wineboot) builds a prefix,
# so the prefix is made once in WINDOWS_BUILD, and every wait is bounded;
# Mono and Gecko are not installed (not needed, and their installers would
# wait for a click); there is no sound device (SDL's WASAPI starts, opening
# the device fails), so the demo plays silently on the wall clock, which the
# test accepts when standard error says so exactly once; Xvfb has the one
# mode of its screen, so the 640 x 480 full-screen mode cannot be shown and
# the default start is checked through its question; Wine's winealsa writes
# ALSA's complaints to standard error, so messages are looked for as whole
# lines, not as the whole output. With MVRK_WINE_SHOTS set to a folder, the
# screen grabs are kept there as PNG files. A case that cannot run fails
# with the reason.
set -uo pipefail
WINBUILD=$(cd "$1" && pwd)
LINUX=$(cd "$2" && pwd)
EXE=$WINBUILD/mvrk_dms.exe

fail() {
  echo "wine_test: $*" >&2
  exit 1
}

for tool in wine Xvfb xdotool xwininfo ffmpeg x86_64-w64-mingw32-objdump timeout; do
  command -v "$tool" > /dev/null || fail "$tool is missing (scripts/deps.sh installs it)"
done
[ -f "$EXE" ] || fail "$EXE is missing: build it with scripts/build-windows.sh"
[ -x "$LINUX/mvrk_capture" ] || fail "$LINUX/mvrk_capture is missing: build with scripts/build.sh"
CONTENT=${MVRK_TEST_CONTENT:-}
[ -n "$CONTENT" ] && [ -d "$CONTENT/data" ] ||
  fail "no generated content in MVRK_TEST_CONTENT (the Linux tests make it: build/test-content)"

WORK=$(mktemp -d /tmp/mvrk_wine_XXXXXX)
XPID=""
cleanup() {
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  WINEPREFIX=$WINBUILD/wineprefix timeout 30 wineserver -k 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# --- The imports: system DLLs only, nothing the zip would have to carry.
imports=$(x86_64-w64-mingw32-objdump -p "$EXE" | awk '/DLL Name:/ {print tolower($3)}' | sort)
echo "imports: $(echo $imports)"
SYSTEM_DLLS=" advapi32.dll gdi32.dll glu32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll
  oleaut32.dll opengl32.dll setupapi.dll shell32.dll user32.dll version.dll winmm.dll "
for dll in $imports; do
  [[ "$SYSTEM_DLLS" == *" $dll"[[:space:]]* ]] || fail "mvrk_dms.exe imports $dll, which is no system DLL"
done
[[ " $(echo $imports) " == *" opengl32.dll "* ]] || fail "mvrk_dms.exe does not import opengl32.dll"

# --- One X server for every case, and the Wine prefix made once.
export WINEPREFIX=$WINBUILD/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEARCH=win64
display=""
for n in $(seq 140 180); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=$n; break; }
done
[ -n "$display" ] || fail "no free X display number between 140 and 180"
Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp > "$WORK/xvfb.log" 2>&1 &
XPID=$!
export DISPLAY=":$display"
for _ in $(seq 1 100); do
  xwininfo -root > /dev/null 2>&1 && break
  sleep 0.1
done
xwininfo -root > /dev/null 2>&1 || fail "Xvfb did not start on $DISPLAY: $(cat "$WORK/xvfb.log")"

if [ ! -f "$WINEPREFIX/.made" ]; then
  rm -rf "$WINEPREFIX"
  started=$SECONDS
  timeout 600 wine wineboot --init > "$WORK/wineboot.log" 2>&1 ||
    fail "wineboot could not make the prefix in 10 min: $(tail -5 "$WORK/wineboot.log")"
  timeout 120 wineserver -w
  touch "$WINEPREFIX/.made"
  echo "wine prefix made in $((SECONDS - started)) s"
fi

# The Linux frame of 110 s of the music, a bright moment of wobbler: the
# cases that look at the picture start the program paused there, so the
# screen shows this frame, drawn by another build of the same code through
# Wine's opengl32.
HELD=110000
mkdir -p "$WORK/linux"
[ -x "$LINUX/mvrk_compare" ] || fail "$LINUX/mvrk_compare is missing: build with scripts/build.sh"
"$LINUX/mvrk_capture" --data "$CONTENT" --from $HELD --to $HELD \
  --frames "$WORK/linux" > /dev/null 2>&1 || fail "mvrk_capture could not render the reference"
[ -f "$WORK/linux/$HELD.png" ] || fail "mvrk_capture wrote no reference frame at $HELD ms"

# Mean of a raw RGB grab, or of the columns from $2 to $3 of a grab $4 pixels wide.
mean() {
  od -An -tu1 -v -w$(( ${4:-1} * 3 )) "$1" | awk -v from="${2:-0}" -v to="${3:-0}" '{
      for (i = 1; i <= NF; i++) {
        x = int((i - 1) / 3)
        if (to == 0 || (x >= from && x < to)) { s += $i; n++ }
      }
    } END { if (n) printf "%.1f\n", s / n; else print 0 }'
}

# The mean difference per channel (0 to 255) between a 640 x 480 PNG of the
# screen and the Linux frame at the held time (mvrk_compare).
difference_from_linux() {
  rm -rf "$WORK/shots"
  mkdir -p "$WORK/shots"
  ln -s "$1" "$WORK/shots/$HELD.png"
  "$LINUX/mvrk_compare" "$WORK/linux" "$WORK/shots" | awk '$2 == "mean" {print $3}' | head -1
}

# The screen at X Y W H (cropped and scaled to 640 x 480 with ffmpeg's
# filter $5, or "null") shows the demo's picture held at $HELD ms: once it
# stands still, lit (a mean of 20 or more: a dark picture would match any
# dark frame) and within a mean difference of $6 of the Linux frame of that
# time. The grab is kept as $WORK/$CASE.rgb and .png.
shows_demo() {
  local shot=$WORK/$CASE difference="" lit=""
  wait_held "$shot.rgb" "$1" "$2" "$3" "$4"
  ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -video_size "$3x$4" -i "$shot.rgb" -vf "$5" \
    "$shot.png" || case_fail "the grab does not convert to PNG"
  lit=$(ffmpeg -v error -i "$shot.png" -f rawvideo -pix_fmt rgb24 - | od -An -tu1 -v |
        awk '{ for (i = 1; i <= NF; i++) { s += $i; n++ } } END { printf "%d\n", n ? s / n : 0 }')
  [ "$lit" -ge 20 ] || case_fail "no demo picture: the held grab's mean is $lit"
  difference=$(difference_from_linux "$shot.png")
  [ -n "$difference" ] || case_fail "mvrk_compare compared nothing"
  awk -v d="$difference" -v most="$6" 'BEGIN { exit !(d <= most) }' ||
    case_fail "the held picture (mean $lit) is $difference from the Linux frame at $HELD ms, more than $6"
  echo "$CASE: the picture held at $HELD ms (mean $lit) is within $difference of the Linux frame"
}

keep_shot() {
  [ -n "${MVRK_WINE_SHOTS:-}" ] || return 0
  mkdir -p "$MVRK_WINE_SHOTS"
  ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -video_size "$2" -i "$1" "$MVRK_WINE_SHOTS/$3"
}

# --- The cases. Each starts the program in a fresh copy of the content.
DEMO_PID=""
start_demo() {
  rm -rf "$WORK/data"
  cp -r "$CONTENT" "$WORK/data"
  (cd "$WORK/data" && exec wine "$EXE" "$@" > "$WORK/demo.out" 2> "$WORK/demo.err") &
  DEMO_PID=$!
}

case_fail() {
  echo "$CASE: $*" >&2
  echo "--- standard error:" >&2
  cat "$WORK/demo.err" >&2
  kill -9 "$DEMO_PID" 2>/dev/null
  timeout 30 wineserver -k 2>/dev/null
  exit 1
}

# The first window titled exactly $1, waiting up to $2 s.
wait_window() {
  local wid=""
  for _ in $(seq 1 $(( $2 * 5 ))); do
    wid=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    kill -0 "$DEMO_PID" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

# Waits up to $1 s for the program to end; its status is in STATUS.
wait_end() {
  for _ in $(seq 1 $(( $1 * 5 ))); do
    kill -0 "$DEMO_PID" 2>/dev/null || break
    sleep 0.2
  done
  kill -0 "$DEMO_PID" 2>/dev/null && case_fail "still running $1 s after it should have ended"
  wait "$DEMO_PID"
  STATUS=$?
}

# Sends a key to the window titled $1 once a second until it is gone.
press_until_gone() {
  for _ in $(seq 1 60); do
    local wid
    wid=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$wid" ] || return 0
    kill -0 "$DEMO_PID" 2>/dev/null || return 0
    xdotool windowfocus "$wid" 2>/dev/null
    xdotool key "$2"
    sleep 1
  done
}

# The window's client area on the screen as "X Y W H".
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}'
}

grab() {  # file x y w h
  ffmpeg -v error -y -f x11grab -video_size "$4x$5" -i "$DISPLAY+$2,$3" -frames:v 1 \
    -f rawvideo -pix_fmt rgb24 "$1"
}

# Waits until the program has loaded and runs its frames: it says so on
# standard error ("playing from MS ms", or "paused at MS ms" with --pause).
wait_started() {
  for _ in $(seq 1 900); do
    kill -0 "$DEMO_PID" 2>/dev/null || case_fail "the demo ended before it played"
    tr -d '\r' < "$WORK/demo.err" | grep -qE "^mvrk_dms: (playing from|paused at) " && return 0
    sleep 0.2
  done
  case_fail "the demo did not start its frames in 3 min"
}

# Waits until the picture at x y w h moves: the scenes play.
wait_playing() {
  wait_started
  for _ in $(seq 1 150); do
    kill -0 "$DEMO_PID" 2>/dev/null || case_fail "the demo ended before it played"
    grab "$WORK/a.rgb" "$@" && sleep 0.5 && grab "$WORK/b.rgb" "$@" || case_fail "no screen grab"
    cmp -s "$WORK/a.rgb" "$WORK/b.rgb" || return 0
    sleep 1
  done
  case_fail "the picture never moved in 3 min"
}

# Waits until the program, started with --pause at $HELD ms, shows its held
# picture at x y w h: two grabs a second apart the same, into $1.
wait_held() {
  local file=$1
  shift
  wait_started
  tr -d '\r' < "$WORK/demo.err" | grep -q "^mvrk_dms: paused at $HELD ms" ||
    case_fail "not paused at $HELD ms"
  for _ in $(seq 1 120); do
    kill -0 "$DEMO_PID" 2>/dev/null || case_fail "the demo ended while paused"
    grab "$WORK/held.rgb" "$@" && sleep 1 && grab "$file" "$@" || case_fail "no screen grab"
    cmp -s "$WORK/held.rgb" "$file" && return 0
  done
  case_fail "the held picture never stood still"
}

CASE=help
timeout 120 wine "$EXE" --help > "$WORK/help.out" 2> "$WORK/demo.err"
STATUS=$?
[ $STATUS -eq 0 ] || case_fail "status $STATUS, not 0"
grep -q "^usage: mvrk_dms \[--window" "$WORK/help.out" || case_fail "no usage on standard output"
grep -q "Escape" "$WORK/help.out" || case_fail "the usage names no keys"
echo "$CASE: the usage on standard output, status 0"

# The file modules on their own, in an empty folder.
CASE=files
[ -f "$WINBUILD/mvrk_windows_files_test.exe" ] ||
  fail "$WINBUILD/mvrk_windows_files_test.exe is missing: build it with scripts/build-windows.sh"
mkdir -p "$WORK/files"
(cd "$WORK/files" && timeout 120 wine "$WINBUILD/mvrk_windows_files_test.exe") > "$WORK/files.out" 2>&1
STATUS=$?
sed "s/^/$CASE: /" "$WORK/files.out"
[ $STATUS -eq 0 ] || fail "$CASE: mvrk_windows_files_test.exe ended with status $STATUS"

# As a double-click starts it: full screen at 640 x 480, a mode that Wine on
# Xvfb does not offer (Xvfb has the one mode of its screen), so the demo asks
# for a window; Yes plays it there.
CASE=default
start_demo
for _ in $(seq 1 900); do
  question=$(xdotool search --onlyvisible --name '^Tuvo GL$' 2>/dev/null | head -1)
  shown=$(xdotool search --onlyvisible --name '^mvrk_dms$' 2>/dev/null | head -1)
  [ -n "$question$shown" ] && break
  kill -0 "$DEMO_PID" 2>/dev/null || case_fail "it ended before it showed a window"
  sleep 0.2
done
if [ -n "$question" ]; then
  grep -q "This FullScreen Mode Is Not Supported. Use Windowed Mode Instead?" "$WORK/demo.err" ||
    case_fail "the question is not on standard error"
  press_until_gone 'Tuvo GL' Return
  echo "$CASE: no 640x480 mode under Wine on Xvfb: the question came, Yes answered it"
fi
wait_window mvrk_dms 180 > /dev/null || case_fail "no window titled mvrk_dms in 3 min"
wait_playing 0 0 640 480
press_until_gone mvrk_dms Escape
wait_end 60
[ $STATUS -eq 0 ] || case_fail "Escape ended it with status $STATUS, not 0"
echo "$CASE: it played from the start; Escape: status 0"

CASE=window
start_demo --window --from $HELD --pause
wid=$(wait_window mvrk_dms 180) || case_fail "no window titled mvrk_dms in 3 min"
read -r X Y W H < <(geometry "$wid")
[ "$W" = 640 ] && [ "$H" = 480 ] || case_fail "the window is ${W}x$H, not 640x480"
# Another moment 100 ms away differs by about 3, another scene by 50 or more.
shows_demo "$X" "$Y" 640 480 null 6
keep_shot "$WORK/window.rgb" 640x480 wine-window.png
if grep -q "playing silently" "$WORK/demo.err"; then
  echo "$CASE: no sound device under Wine: $(grep "playing silently" "$WORK/demo.err")"
  [ "$(grep -c "playing silently" "$WORK/demo.err")" -eq 1 ] || case_fail "the silence is said more than once"
fi
# Two recorded keys: the second save replaces the file the first one made.
xdotool mousemove "$((X + 320))" "$((Y + 240))"
sizes=""
for key in 1 2; do
  xdotool windowfocus "$wid" 2>/dev/null
  xdotool click 3
  for _ in $(seq 1 25); do
    size=$(stat -c %s "$WORK/data/default.camera" 2>/dev/null || echo 0)
    [ "$size" -gt "${last:-0}" ] && break
    sleep 0.2
  done
  last=$size
  sizes="$sizes $size"
done
grep -q "not saved" "$WORK/demo.err" && case_fail "a save failed"
press_until_gone mvrk_dms Escape
wait_end 60
[ $STATUS -eq 0 ] || case_fail "Escape ended it with status $STATUS, not 0"
set -- $sizes
[ "$1" -gt 0 ] && [ "$2" -gt "$1" ] && [ $(($2 % 40)) -eq 0 ] ||
  case_fail "default.camera was $1 then $2 bytes, not one and then two more keys of 40 bytes"
[ -z "$(find "$WORK/data" -name '*.part')" ] || case_fail "a temporary file was left behind"
echo "$CASE: default.camera saved whole twice ($1, then $2 bytes); Escape: status 0"

CASE=desktop
start_demo --desktop --from $HELD --pause
wait_window mvrk_dms 180 > /dev/null || case_fail "no window titled mvrk_dms in 3 min"
wait_started
grep -q "frame 1920x1440" "$WORK/demo.err" || case_fail "the frame is not 1920x1440"
# The band of the 1920 x 1440 frame fills the screen; scaled to 640 x 360 and
# put between black bars it is near a Linux frame drawn at 640 x 480 (whose
# bars hold the glow, seen at 8 to 10 of difference here, and the finer
# drawing adds a few steps; another scene is 50 or more away).
shows_demo 0 0 1920 1080 "scale=640:360:flags=area,pad=640:480:0:60" 16
keep_shot "$WORK/desktop.rgb" 1920x1080 wine-desktop.png
left=$(mean "$WORK/desktop.rgb" 0 1 1920)
right=$(mean "$WORK/desktop.rgb" 1919 1920 1920)
middle=$(mean "$WORK/desktop.rgb" 0 1920 1920)
echo "$CASE: the picture's edge columns mean $left and $right, the whole screen $middle"
[ "${left%.*}" -ge 5 ] && [ "${right%.*}" -ge 5 ] || case_fail "a black column at the screen's side"
[ "${middle%.*}" -ge 10 ] || case_fail "no picture on the screen (mean $middle)"
press_until_gone mvrk_dms Escape
wait_end 60
[ $STATUS -eq 0 ] || case_fail "Escape ended it with status $STATUS, not 0"

CASE=sized
start_demo --window --size 1024x768 --msaa 4 --from $HELD --pause
wid=$(wait_window mvrk_dms 180) || case_fail "no window titled mvrk_dms in 3 min"
read -r X Y W H < <(geometry "$wid")
[ "$W" = 1024 ] && [ "$H" = 768 ] || case_fail "the window is ${W}x$H, not 1024x768"
wait_started
grep -q "frame 1024x768, 4 samples" "$WORK/demo.err" || case_fail "the frame is not 1024x768 with 4 samples"
xdotool windowsize "$wid" 800 600
for _ in $(seq 1 50); do
  grep -q "frame 800x600, 4 samples" "$WORK/demo.err" && break
  sleep 0.2
done
grep -q "frame 800x600, 4 samples" "$WORK/demo.err" || case_fail "the frame did not follow the window to 800x600"
echo "$CASE: a 1024x768 window drew a 1024x768 frame of 4 samples, and 800x600 after the resize"
press_until_gone mvrk_dms Escape
wait_end 60
[ $STATUS -eq 0 ] || case_fail "Escape ended it with status $STATUS, not 0"

# A broken content file: a box with the program's message, the same text on
# standard error as the Linux program gives for the same content, and status
# 1 once the box is closed.
broken_file() {  # case, what to do to the copy of the content
  CASE=$1
  rm -rf "$WORK/data"
  cp -r "$CONTENT" "$WORK/data"
  (cd "$WORK/data" && eval "$2")
  expected=$("$LINUX/mvrk_capture" --data "$WORK/data" --from 0 --to 0 --frames "$WORK/none" 2>&1 |
             grep "^Error: " | tail -1)
  [ -n "$expected" ] || case_fail "the Linux capture reports no error for the same content"
  (cd "$WORK/data" && exec wine "$EXE" --window > "$WORK/demo.out" 2> "$WORK/demo.err") &
  DEMO_PID=$!
  wait_window Error 180 > /dev/null || case_fail "no Error box in 3 min"
  grep -qxF "$expected" <(tr -d '\r' < "$WORK/demo.err") ||
    case_fail "standard error does not say \"$expected\""
  press_until_gone Error Return
  wait_end 60
  [ $STATUS -eq 1 ] || case_fail "status $STATUS, not 1"
  echo "$CASE: \"$expected\" in a box and on standard error, status 1"
}
broken_file missing 'rm data/default.camera'
model=$(cd "$CONTENT" && find . -iname '*.geox' | sort | head -1)
[ -n "$model" ] || fail "no .geox model in the content"
broken_file corrupt "head -c 20 '$model' > cut && mv cut '$model'"
echo "all Wine cases passed"
