#!/bin/bash
# Every tool answers --help with its usage on standard output and status 0,
# and an option it does not know with the usage on standard error and
# status 2, before doing any work.
set -uo pipefail
BUILD=$(cd "$1" && pwd)
# The usage is searched in a here-string, not through a pipe: grep -q ends at
# its match while echo still writes the later lines, which pipefail would
# count as a failure.
fail() { echo "FAIL: $*"; exit 1; }

for tool in mvrk_capture mvrk_content mvrk_music mvrk_music_check mvrk_bench mvrk_compare; do
  [ -x "$BUILD/$tool" ] || fail "$tool is not built"
  out=$("$BUILD/$tool" --help 2> /dev/null)
  status=$?
  [ $status -eq 0 ] || fail "$tool --help: status $status"
  grep -q "^usage: $tool" <<< "$out" || fail "$tool --help printed no usage: $out"

  err=$("$BUILD/$tool" --no-such-option 2>&1 > /dev/null)
  status=$?
  [ $status -eq 2 ] || fail "$tool --no-such-option: status $status"
  grep -q "^usage: $tool" <<< "$err" || fail "$tool --no-such-option: no usage on stderr: $err"
  echo "$tool: ok"
done
