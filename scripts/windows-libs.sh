#!/bin/bash
# Builds the libraries of the demo's Windows program as static MinGW-w64
# libraries into one prefix:
#   scripts/windows-libs.sh [PREFIX_PARENT]      (default build-win-libs)
# prints the prefix (PREFIX_PARENT/<key>) on its last line of standard output.
#
# SDL2, libogg, libvorbis, libjpeg-turbo and libpng come from Debian 12's own
# source packages at the versions pinned below: fetched with apt-get source
# through a deb-src list this script writes (apt checks them against the
# archive's signed indexes) and unpacked with dpkg-source -x, so that Debian's
# patches, security fixes among them, are applied. zlib is Debian's
# libz-mingw-w64-dev. Nothing else is downloaded. The machine's own apt
# configuration is not touched: the list, its indexes and the downloads live
# under PREFIX_PARENT.
#
# The prefix is named by a hash of the pins, this script, the toolchain file
# and the compiler's version, so a second run with nothing changed only
# checks that the prefix is complete and takes seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

# Debian 12 (bookworm) source packages, package=version.
PINS=(
  libsdl2=2.26.5+dfsg-1
  libogg=1.3.5-3
  libvorbis=1.3.7-1
  libjpeg-turbo=1:2.1.5-2
  libpng1.6=1.6.39-2+deb12u5
)
TRIPLE=x86_64-w64-mingw32
TOOLCHAIN=$ROOT/cmake/mingw-w64-x86_64.cmake
ZLIB=/usr/$TRIPLE/lib/libz.a
JOBS=${MVRK_JOBS:-$(nproc)}

fail() { echo "windows-libs.sh: $*" >&2; exit 1; }
for tool in $TRIPLE-gcc-posix $TRIPLE-g++-posix nasm dpkg-source apt-get cmake; do
  command -v "$tool" > /dev/null || fail "$tool is missing (scripts/deps.sh installs it)"
done
[ -f "$ZLIB" ] || fail "$ZLIB is missing (package libz-mingw-w64-dev)"

PARENT=${1:-build-win-libs}
mkdir -p "$PARENT"
PARENT=$(cd "$PARENT" && pwd)
key=$( { printf '%s\n' "${PINS[@]}"; cat "$0" "$TOOLCHAIN"; $TRIPLE-g++-posix --version | head -1;
         nasm -v; dpkg-query -W -f='${Version}\n' libz-mingw-w64-dev; } | sha256sum | cut -c1-16)
PREFIX=$PARENT/$key
if [ -f "$PREFIX/.complete" ]; then
  echo "== Windows libraries up to date in $PREFIX" >&2
  echo "$PREFIX"
  exit 0
fi

WORK=$PARENT/work-$key
rm -rf "$WORK" "$PREFIX"
mkdir -p "$WORK/apt/lists/partial" "$WORK/apt/cache/archives/partial" "$WORK/src"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
[ -f "$keyring" ] || fail "$keyring is missing (package debian-archive-keyring)"
cat > "$WORK/apt/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
APT=(-o "Dir::Etc::SourceList=$WORK/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
     -o "Dir::State::Lists=$WORK/apt/lists" -o "Dir::Cache=$WORK/apt/cache"
     -o APT::Sandbox::User=root -qq)
echo "== fetching the Debian sources: ${PINS[*]}" >&2
apt-get "${APT[@]}" update >&2 || fail "apt-get update on the deb-src list failed"
(cd "$WORK/src" && apt-get "${APT[@]}" source --download-only "${PINS[@]}" >&2) ||
  fail "a pinned source package is not in the archive (any more?): ${PINS[*]}"

# Unpacks one package with Debian's patches; prints its folder.
unpack() {
  local dsc
  dsc=$(ls "$WORK/src/$1"_*.dsc)
  (cd "$WORK/src" && dpkg-source --no-check -x "$(basename "$dsc")" "$1" > /dev/null) ||
    fail "dpkg-source could not unpack $dsc"
  echo "$WORK/src/$1"
}

# cmake configure, build and install of one package into the prefix.
build() {
  local name=$1 src=$2
  shift 2
  echo "== building $name" >&2
  cmake -S "$src" -B "$WORK/build/$name" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DMVRK_WINDOWS_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DCMAKE_PREFIX_PATH="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@" \
    > "$WORK/$name.log" 2>&1 || { tail -30 "$WORK/$name.log" >&2; fail "configuring $name failed"; }
  cmake --build "$WORK/build/$name" -j "$JOBS" >> "$WORK/$name.log" 2>&1 &&
    cmake --install "$WORK/build/$name" >> "$WORK/$name.log" 2>&1 ||
    { tail -30 "$WORK/$name.log" >&2; fail "building $name failed (log: $WORK/$name.log)"; }
}

# pkg-config sees only the prefix, never the build machine's own libraries.
export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig PKG_CONFIG_PATH=
build ogg "$(unpack libogg)" -DINSTALL_DOCS=OFF
build vorbis "$(unpack libvorbis)" -DOgg_ROOT="$PREFIX"
build jpeg "$(unpack libjpeg-turbo)" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
  -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER="$(command -v nasm)"
build png "$(unpack libpng1.6)" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
  -DPNG_EXECUTABLES=OFF -DZLIB_LIBRARY="$ZLIB" -DZLIB_INCLUDE_DIR="/usr/$TRIPLE/include"
build sdl2 "$(unpack libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON

for lib in libSDL2.a libogg.a libvorbis.a libvorbisfile.a libjpeg.a libpng16.a; do
  [ -f "$PREFIX/lib/$lib" ] || fail "the build left no $PREFIX/lib/$lib"
done
printf '%s\n' "${PINS[@]}" > "$PREFIX/.complete"
rm -rf "$WORK"
echo "== Windows libraries built into $PREFIX" >&2
echo "$PREFIX"
