#!/bin/bash
# Configures and builds one build tree.
#   scripts/build.sh            -> build/       (optimised, with debug info)
#   scripts/build.sh asan       -> build-asan/  (clang 14, ASan + UBSan)
set -euo pipefail
cd "$(dirname "$0")/.."

JOBS=$(nproc)
if [ "${1:-}" = "asan" ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DMVRK_SANITIZE=ON \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 > /dev/null
  cmake --build build-asan -j "$JOBS"
else
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
  cmake --build build -j "$JOBS"
fi
