#!/bin/sh
# Renders every skinned control, the list pages, the main window, the configuration dialog and
# the fleet windows (the Inventory page and its dialogs) to PNG files, and the main window on
# every page at the default size and at 1920 x 1080 (QT_SCALE_FACTOR=2 renders a HiDPI screen).
#   tools/render_controls.sh [build dir] [output dir] [lcid]
# Defaults: build/debug, build/render, 1033 (2052 renders the Chinese texts and pictures).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/debug}
out=${2:-$root/build/render}
lcid=${3:-1033}
cmake --build "$build" --target cpe_render_controls cpe_render_config cpe_render_fleet cpe_render_window >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/tools/cpe_render_controls" "$root/resources" "$out" "$lcid"
# The device configuration dialog, tab by tab.
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/tools/cpe_render_config" "$root/resources" "$out" "$lcid"
# The Inventory page, a device's history, Restore settings and Apply to devices.
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/tools/cpe_render_fleet" "$root/resources" "$out" "$lcid"
# The main window on each page, after a search that found nothing, and the About box.
for size in default max; do
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/tools/cpe_render_window" "$root/resources" "$out" "$lcid" "$size"
done
