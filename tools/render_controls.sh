#!/bin/sh
# Renders every skinned control, the list pages and the main window to PNG files.
#   tools/render_controls.sh [build dir] [output dir] [lcid]
# Defaults: build/debug, build/render, 1033 (2052 renders the Chinese texts and pictures).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/debug}
out=${2:-$root/build/render}
lcid=${3:-1033}
cmake --build "$build" --target cpe_render_controls >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/tools/skin/cpe_render_controls" "$root/resources" "$out" "$lcid"
