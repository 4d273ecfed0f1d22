#!/bin/bash
# Generates the demo's content (images, models, camera paths, font and
# soundtrack) with the Linux build's generators:
#   scripts/content.sh [BUILD_DIR] [CONTENT_DIR]     (default build, content)
# and only when it is missing or the generators changed since it was made
# (a stamp of their bytes inside CONTENT_DIR). The content appears whole or
# not at all: it is made beside CONTENT_DIR and moved there when complete.
set -euo pipefail
BUILD=${1:-build}
CONTENT=${2:-content}

generators=()
for tool in mvrk_content mvrk_music; do
  if [ ! -x "$BUILD/$tool" ]; then
    echo "error: $BUILD/$tool is missing: the content generator has not been built," >&2
    echo "so there is no content to run the demo on." >&2
    exit 1
  fi
  generators+=("$BUILD/$tool")
done

stamp=$(cat "${generators[@]}" | sha256sum | cut -d' ' -f1)
if [ ! -f "$CONTENT/.stamp" ] || [ "$(cat "$CONTENT/.stamp")" != "$stamp" ]; then
  echo "== generating content into $CONTENT"
  rm -rf "$CONTENT.new"
  "$BUILD/mvrk_content" "$CONTENT.new"
  "$BUILD/mvrk_music" "$CONTENT.new/data/soundtrack.ogg"
  echo "$stamp" > "$CONTENT.new/.stamp"
  rm -rf "$CONTENT"
  mv "$CONTENT.new" "$CONTENT"
fi
