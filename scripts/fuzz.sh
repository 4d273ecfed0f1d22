#!/bin/bash
# Fuzzes every file reader: scripts/fuzz.sh [SECONDS] [READER...]
# Builds the libFuzzer targets (clang 14, ASan + UBSan) in build-fuzz/, seeds
# each corpus with the generated content, the hand-made hostile files under
# tests/fuzz/seeds/ and the earlier findings, and runs each reader for
# SECONDS (default 60; all six readers unless named: camera geox textgeox map
# list jpeg). Stops at the first finding and keeps the input that caused it
# under tests/fuzz-findings/READER/, where the test suite replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

SECONDS_EACH=${1:-60}
[[ "$SECONDS_EACH" =~ ^[0-9]+$ ]] || { echo "usage: scripts/fuzz.sh [SECONDS] [READER...]" >&2; exit 2; }
shift || true
READERS=("$@")
[ ${#READERS[@]} -gt 0 ] || READERS=(camera geox textgeox map list jpeg)

# The seed content comes from the normal build's generator.
scripts/build.sh > /dev/null
SEEDS=build-fuzz/seed-content
if [ ! -d "$SEEDS" ]; then
  echo "== generating seed content into $SEEDS"
  rm -rf "$SEEDS.new"
  build/mvrk_content "$SEEDS.new" > /dev/null
  mv "$SEEDS.new" "$SEEDS"
fi

echo "== building the fuzz targets"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMVRK_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 > /dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${READERS[@]/#/fuzz_}" > /dev/null

for reader in "${READERS[@]}"; do
  case $reader in
    camera) ext=camera ;; geox) ext=geox ;; textgeox) ext=textgeox ;;
    map) ext=map ;; list) ext=list ;; jpeg) ext=jpg ;;
    *) echo "unknown reader '$reader'" >&2; exit 2 ;;
  esac
  corpus=build-fuzz/corpus/$reader
  findings=$ROOT/tests/fuzz-findings/$reader
  mkdir -p "$corpus" "$findings"
  # The map target reads two bytes that shape its model before the map file.
  find "$SEEDS" -type f -iname "*.$ext" | while read -r file; do
    if [ "$reader" = map ]; then
      { printf '\077\077'; cat "$file"; } > "$corpus/seed-$(basename "$file")"
    else
      cp "$file" "$corpus/seed-$(basename "$file")"
    fi
  done
  dirs=("$corpus")
  [ -d "tests/fuzz/seeds/$reader" ] && dirs+=("tests/fuzz/seeds/$reader")
  [ -n "$(ls -A "$findings")" ] && dirs+=("$findings")

  echo "== fuzzing $reader for $SECONDS_EACH s"
  log=build-fuzz/$reader.log
  status=0
  ASAN_OPTIONS="abort_on_error=0:halt_on_error=1:detect_leaks=1" \
  UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
    "build-fuzz/fuzz_$reader" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
      -max_len=262144 -print_final_stats=1 -artifact_prefix="$findings/" "${dirs[@]}" \
      > "$log" 2>&1 || status=$?
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^Done [0-9]+ runs' "$log" || true
  if [ $status -ne 0 ]; then
    echo "fuzz_$reader found a fault; the input is kept in $findings (log: $log):" >&2
    grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" >&2 || tail -20 "$log" >&2
    exit 1
  fi
done
echo "== no finding"
