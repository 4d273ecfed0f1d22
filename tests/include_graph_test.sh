#!/bin/bash
# The folders include each other one way only:
# - host -> scenes -> engine: nothing under engine/ includes host/ or scenes/,
#   nothing under scenes/ includes host/, and none of the three includes the
#   programs around them (tools/, bench/);
# - each tool keeps to its own folder and what it draws on: the content
#   generator reads no scenes or host, the capture tool and the bench no other
#   tool, and the music tools (which link no GL) only the scene interval table,
#   the music rules, engine/numbers.h and the whole-or-nothing file writer;
# - a frame is followed down one way: a scene's Render uses its plan, the
#   common frame steps (scenes/frame.h) and the shared passes
#   (scenes/passes.h), and those steps and passes draw on the engine and the
#   scene rules only, never on a plan, a scene or each other;
# - the window starts nothing of the demo: the program's main starts it
#   (InitDemo) once the window is made, and the headless start-up does the
#   same for the tools and tests;
# - the scene interval table depends on nothing, and the music rules on the
#   interval table alone, so that the music tools can read them without the
#   renderer.
set -uo pipefail
SOURCE=$(cd "$2" && pwd)
cd "$SOURCE"
status=0

# The project includes of the sources under FOLDER, as "file: header" lines.
includes() {
  grep -rnoE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"[^\"]+\"" "$1" --include='*.h' --include='*.cpp' |
    sed -E 's/:[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*"/: /; s/"$//'
}

has_sources() {
  [ "$(find "$1" -name '*.h' -o -name '*.cpp' | wc -l)" -gt 0 ] || { echo "FAIL: no sources under $1/"; status=1; return 1; }
}

# forbid FOLDER PATTERN: every include of a header matching PATTERN is a fault.
forbid() {
  has_sources "$1" || return
  local found
  found=$(includes "$1" | grep -E ": ($2)") || true
  if [ -n "$found" ]; then
    echo "$found"
    echo "FAIL: $1/ includes what it must not (above)"
    status=1
  fi
}

# only FOLDER PATTERN: every include of a header local to the folder (no
# slash) or matching PATTERN is allowed, every other one is a fault.
only() {
  has_sources "$1" || return
  local found
  found=$(includes "$1" | grep -vE ": ([^/]+|$2)$") || true
  if [ -n "$found" ]; then
    echo "$found"
    echo "FAIL: $1/ includes more than it may (above)"
    status=1
  fi
}

forbid engine 'host/|scenes/|tools/|bench/'
forbid scenes 'host/|tools/|bench/'
forbid host 'tools/|bench/'
forbid tools/content 'host/|scenes/|bench/|tools/(capture|music)/'
forbid tools/capture 'bench/|tools/(content|music)/'
forbid bench 'tools/'
only tools/music 'tools/music/[a-z]+\.h|tools/usage\.h|scenes/intervals\.h|scenes/musicrules\.h|engine/numbers\.h|engine/savefile\.h'

if grep -n '#include "' scenes/intervals.h; then
  echo "FAIL: scenes/intervals.h includes project headers (above)"
  status=1
fi
if grep -n '#include "' scenes/musicrules.h | grep -v '"scenes/intervals.h"'; then
  echo "FAIL: scenes/musicrules.h includes more than the interval table (above)"
  status=1
fi
if grep -n '#include "' engine/savefile.h engine/savefile.cpp engine/savefile_linux.cpp | grep -v '"engine/savefile.h"'; then
  echo "FAIL: the file writer includes project headers (above)"
  status=1
fi
for step in frame passes; do
  other=$([ "$step" = frame ] && echo passes || echo frame)
  if grep -nE "#include \"scenes/(plans|scenes|$other)\.h\"" "scenes/$step.h" "scenes/$step.cpp"; then
    echo "FAIL: scenes/$step.* includes what draws above it (above)"
    status=1
  fi
done
if grep -nE '\bInitDemo[[:space:]]*\(' host/*.cpp | grep -vE '^host/(main|headlessdemo_linux|timeline)\.cpp:'; then
  echo "FAIL: the demo is started from outside main and the headless start-up (above)"
  status=1
fi
[ "$status" -eq 0 ] && echo "the include graph runs one way"
exit "$status"
