#!/bin/bash
# The bench's --json is written whole or not at all: a bench killed while it
# writes its figures leaves the older file as it was, or no file where there
# was none, and a bench that runs to its end leaves the whole new figures.
# The kill is certain, not a matter of timing: the bench runs under a file
# size limit of 0 (ulimit -f 0), so the kernel ends it with SIGXFSZ at its
# first write of a byte to a regular file. The figures are the only file it
# writes (its report goes to a pipe, Mesa's shader cache is off), and the
# report printed in full shows that the kill came after the frames.
set -uo pipefail
BUILD=$(cd "$1" && pwd)
CONTENT=${MVRK_TEST_CONTENT:-}
if [ -z "$CONTENT" ] || [ ! -d "$CONTENT/data" ]; then
  echo "no generated content in MVRK_TEST_CONTENT; run through ctest"
  exit 1
fi
export MESA_SHADER_CACHE_DISABLE=true MESA_GLSL_CACHE_DISABLE=true
OUT=$(mktemp -d /tmp/mvrk_bench_json_XXXXXX)
trap 'rm -rf "$OUT"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Eleven frames across the cut from hum to prefall; the report line-buffered,
# so that what was printed before a kill is seen.
bench() { stdbuf -oL "$BUILD/mvrk_bench" "$CONTENT" --from 48000 --to 48200 --json "$1"; }
SIGXFSZ_STATUS=$((128 + $(kill -l XFSZ)))

# killed_writing NAME: runs the bench under the limit; fails unless it was
# killed by SIGXFSZ after its whole report, that is while writing NAME.
killed_writing() {
  local report status
  report=$(ulimit -f 0; bench "$1" 2>&1)
  status=$?
  [ "$status" -eq "$SIGXFSZ_STATUS" ] || fail "bench under ulimit -f 0: status $status, not $SIGXFSZ_STATUS: $report"
  grep -q "^11 frames from 48000 to 48200 ms" <<< "$report" ||
    fail "the bench was killed before its report, not while writing the figures: $report"
}

printf 'the older figures\n' > "$OUT/older.json"
killed_writing "$OUT/older.json"
[ "$(cat "$OUT/older.json")" = "the older figures" ] ||
  fail "a bench killed while writing its figures changed the older file: $(head -c 200 "$OUT/older.json")"
echo "killed while writing over an older file: the older file is kept"

killed_writing "$OUT/new.json"
[ ! -e "$OUT/new.json" ] || fail "a bench killed while writing its figures left a file: $(head -c 200 "$OUT/new.json")"
echo "killed while writing a new file: no file"

report=$(bench "$OUT/older.json" 2>&1) || fail "the bench failed: $report"
python3 - "$OUT/older.json" <<'PY' || fail "the figures are not whole: $(cat "$OUT/older.json")"
import json, sys
figures = json.load(open(sys.argv[1]))
assert figures["frames"] == 11, figures["frames"]
assert [s["name"] for s in figures["scenes"]] == ["hum", "prefall"], figures["scenes"]
PY
echo "run to its end: the whole figures replace the older file"
