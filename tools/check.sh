#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (unit, gui, e2e, bench).
# Usage: tools/check.sh [preset] [ctest args...]   e.g. tools/check.sh asan -L unit
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-debug}"; shift || true
tools/setup.sh "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" "$@"
