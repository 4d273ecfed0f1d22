#!/bin/bash
# Generates the demo's content once per test run for the tests that render
# or play it: BUILD_DIR OUTDIR.
set -euo pipefail
BUILD=$1
OUT=$2
rm -rf "$OUT.new"
"$BUILD/mvrk_content" "$OUT.new"
"$BUILD/mvrk_music" "$OUT.new/data/soundtrack.ogg"
rm -rf "$OUT"
mv "$OUT.new" "$OUT"
