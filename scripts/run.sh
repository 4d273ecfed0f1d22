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
generators=()
for tool in mvrk_content mvrk_music; do
  if [ ! -x "build/$tool" ]; then
    echo "error: build/$tool is missing: the content generator has not been built," >&2
    echo "so there is no content to run the demo on." >&2
    exit 1
  fi
  generators+=("build/$tool")
done

stamp=$(cat "${generators[@]}" | sha256sum | cut -d' ' -f1)
if [ ! -f "$CONTENT/.stamp" ] || [ "$(cat "$CONTENT/.stamp")" != "$stamp" ]; then
  echo "== generating content into $CONTENT"
  rm -rf "$CONTENT.new"
  build/mvrk_content "$CONTENT.new"
  build/mvrk_music "$CONTENT.new/data/soundtrack.ogg"
  echo "$stamp" > "$CONTENT.new/.stamp"
  rm -rf "$CONTENT"
  mv "$CONTENT.new" "$CONTENT"
fi

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
