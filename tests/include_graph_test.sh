#!/bin/bash
# The folders include each other one way only: host -> scenes -> engine.
# Nothing under engine/ includes host/ or scenes/, nothing under scenes/
# includes host/, and the scene interval table stays free of dependencies so
# that the music tools can read it without the renderer.
set -uo pipefail
SOURCE=$(cd "$2" && pwd)
cd "$SOURCE"
status=0

# upward FOLDER PATTERN: every include of PATTERN in FOLDER is a fault.
upward() {
  local files
  files=$(find "$1" -name '*.h' -o -name '*.cpp' | wc -l)
  [ "$files" -gt 0 ] || { echo "FAIL: no sources under $1/"; status=1; return; }
  if grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"($2)/" -r "$1" --include='*.h' --include='*.cpp'; then
    echo "FAIL: $1/ includes $2/ (above)"
    status=1
  fi
}
upward engine 'host|scenes'
upward scenes 'host'

if grep -n '#include "' scenes/intervals.h; then
  echo "FAIL: scenes/intervals.h includes project headers (above)"
  status=1
fi
[ "$status" -eq 0 ] && echo "the include graph runs one way"
exit "$status"
