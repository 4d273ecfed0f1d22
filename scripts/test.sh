#!/bin/bash
# The test command: installs what is missing, builds, runs the whole suite,
# cross-builds the Windows program and runs its tests under Wine
# (tests/windows/wine_test.sh, on the content the suite generated), then
# builds and runs the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs every fuzz target for a few seconds
# over its corpus (scripts/fuzz.sh 5). Any failure, sanitizer report or fuzz
# finding fails it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
JOBS=$(nproc)

echo "== build"
scripts/build.sh
echo "== tests"
(cd build && ctest --output-on-failure -j "$JOBS")

echo "== Windows build (MinGW-w64) and its tests under Wine"
start=$SECONDS
scripts/build-windows.sh
echo "== the Windows build took $((SECONDS - start)) s"
MVRK_TEST_CONTENT=$PWD/build/test-content tests/windows/wine_test.sh build-win build

echo "== build with ASan + UBSan"
scripts/build.sh asan
echo "== tests with ASan + UBSan"
export ASAN_OPTIONS="abort_on_error=0:halt_on_error=1:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
(cd build-asan && ctest --output-on-failure -j "$JOBS")

echo "== fuzz smoke run: every reader for a few seconds over its corpus"
scripts/fuzz.sh 5
