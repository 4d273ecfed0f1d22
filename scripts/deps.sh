#!/bin/bash
# Installs every Debian package the project needs to build, test and run.
# Kept in one place: the run and test commands both call it. Beside the
# compilers and libraries: Xvfb, xdotool and x11-utils drive the demo's window
# tests, ffmpeg makes and checks the videos, bc does the content test's
# arithmetic, and xfonts-base holds the X core fonts that SDL's message boxes
# draw with: without them an X display shows no question or error box at all.
# The Windows program: MinGW-w64 (posix threads, and its tools: the target's
# pkg-config) cross-compiles it, nasm
# assembles libjpeg-turbo's SIMD code, dpkg-dev unpacks the Debian sources of
# its libraries (scripts/windows-libs.sh), libz-mingw-w64-dev is its zlib, zip
# packs it; wine and wine64 run its tests, their opengl32 drawing through the
# host's Mesa (libgl1, libgl1-mesa-dri).
set -euo pipefail

PACKAGES=(
  build-essential cmake clang-14 libclang-rt-14-dev
  libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libjpeg62-turbo-dev libpng-dev libvorbis-dev libogg-dev
  libfreetype-dev fonts-dejavu-core
  libgtest-dev googletest
  libx11-dev xvfb xfonts-base xdotool x11-utils ffmpeg
  bc
  g++-mingw-w64-x86-64-posix mingw-w64-tools nasm dpkg-dev libz-mingw-w64-dev zip
  wine wine64 libgl1
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
