#!/usr/bin/env bash
# Checks that includes follow the layers, installs what is missing, checks the formatting, builds
# and runs every test (unit, gui, e2e, bench).
# Usage: tools/check.sh [preset] [ctest args...]   e.g. tools/check.sh asan -L unit
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-debug}"; shift || true
tools/check_layers.sh
tools/setup.sh "$preset"
tools/check_format.sh
cmake --build --preset "$preset"
ctest --preset "$preset" "$@"
