#!/bin/bash
# Cross-builds the demo for 64-bit Windows: scripts/build-windows.sh
# Builds (or finds cached) the static libraries with scripts/windows-libs.sh,
# into build-win-libs/ or the folder $MVRK_WINDOWS_LIBS names (one outside
# the clone keeps them for the next clone); then build-win/mvrk_dms.exe from
# the same sources as the Linux demo with MinGW-w64
# (cmake/mingw-w64-x86_64.cmake), and beside it mvrk_windows_files_test.exe,
# which the Wine tests run.
set -euo pipefail
cd "$(dirname "$0")/.."

PREFIX=$(scripts/windows-libs.sh "${MVRK_WINDOWS_LIBS:-build-win-libs}" | tail -1)
export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig PKG_CONFIG_PATH=
cmake -S . -B build-win --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DMVRK_WINDOWS_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build-win -j "${MVRK_JOBS:-$(nproc)}" --target mvrk_dms mvrk_windows_files_test
echo "Built $PWD/build-win/mvrk_dms.exe"
