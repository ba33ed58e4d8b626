#!/bin/sh
# Regenerates resources/Skin from tools/skin/skin_gen.cpp.
#   tools/skin/make_skin.sh [build dir]     (default: build/ui-dev)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/ui-dev}
skin=$root/resources/Skin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --build "$build" --target cpe_skin_gen >/dev/null
"$build/tools/cpe_skin_gen" "$skin" "$work"

# Qt writes no GIF or ICO: ImageMagick assembles the busy animation and the icon.
convert -dispose background -delay 8 -loop 0 "$work"/busy_*.png -layers Optimize "$skin/wait_search.gif"
convert "$work"/icon_16.png "$work"/icon_24.png "$work"/icon_32.png "$work"/icon_48.png \
        "$work"/icon_64.png "$work"/icon_256.png "$skin/Application.ico"
echo "skin written to $skin"
