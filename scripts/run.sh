#!/bin/bash
# The run command: installs what is missing, builds, generates the content
# (once, again only when the generators change) and starts the demo in
# content/. Without a display it renders the demo to a video instead.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

scripts/deps.sh
scripts/build.sh

CONTENT=$ROOT/content
scripts/content.sh build "$CONTENT"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display is available (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  if [ ! -x build/mvrk_capture ]; then
    echo "error: the headless capture tool (build/mvrk_capture) is not built yet," >&2
    echo "so the demo cannot be shown or recorded here." >&2
    exit 1
  fi
  # 60 frames a second: on two cores of software rendering this takes about
  # one and a half times the demo's length (six minutes).
  echo "== rendering the whole demo headless to $ROOT/mvrk_dms.mp4 (this takes a while)"
  build/mvrk_capture --data "$CONTENT" --fps 60 --video "$ROOT/mvrk_dms.mp4"
  echo "Wrote $ROOT/mvrk_dms.mp4"
  exit 0
fi

cd "$CONTENT"
exec "$ROOT/build/mvrk_dms"
