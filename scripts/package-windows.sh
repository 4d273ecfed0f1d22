#!/bin/bash
# Makes the package a Windows viewer unzips: scripts/package-windows.sh
# Installs what is missing, builds the Linux generators and the content
# (scripts/content.sh), cross-builds mvrk_dms.exe (scripts/build-windows.sh)
# and writes dist/mvrk_dms-windows-x64.zip: one folder holding mvrk_dms.exe,
# the content it reads beside it and readme.txt. Unzip it and double-click
# mvrk_dms.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

scripts/deps.sh
scripts/build.sh
scripts/content.sh build "$ROOT/content"
scripts/build-windows.sh

NAME=mvrk_dms-windows-x64
STAGE=$ROOT/dist/$NAME
ZIP=$ROOT/dist/$NAME.zip
rm -rf "$STAGE" "$ZIP.new"
mkdir -p "$STAGE"
cp build-win/mvrk_dms.exe "$STAGE/"
(cd content && find . -mindepth 1 -maxdepth 1 ! -name .stamp -exec cp -r {} "$STAGE/" \;)
# The usage as the program prints it, so the readme cannot drift from it.
usage=$(sed -n '/^usage:/,$p' <(build/mvrk_dms --help))
{
  cat <<EOF_README
mvrk_dms for Windows (64-bit)

A real-time 3D demo: a loading screen, then a soundtrack with thirteen
animated scenes in step with it. It ends by itself after 224 seconds;
Escape quits earlier.

Double-click mvrk_dms.exe. It plays full screen at 640 x 480; where the
display has no such mode it asks whether to use a window instead. Keep the
other files of this folder beside the program: it reads its pictures,
models, camera paths and music from here (data, City and the others).

From a command prompt in this folder other ways to play it work too,
for example:

  mvrk_dms.exe --desktop            full screen at the desktop's size
  mvrk_dms.exe --window --size 1024x768
  mvrk_dms.exe --window --msaa 4 --from 100000

Without a sound device the demo plays silently and says so in its
console window.

$usage
EOF_README
} | sed 's/$/\r/' > "$STAGE/readme.txt"
(cd dist && zip -qr -X "$NAME.zip.new" "$NAME")
mv "$ZIP.new" "$ZIP"
echo "Wrote $ZIP ($(du -h "$ZIP" | cut -f1))"
