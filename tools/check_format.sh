#!/usr/bin/env bash
# Fails when a tracked C++ source differs from the root .clang-format; lists the files that do.
# Usage: tools/check_format.sh [--fix]   (--fix rewrites them in place)
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check_format: clang-format is missing (tools/setup.sh installs it)" >&2; exit 1; }
mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c' '*.hpp')
if [[ "${1:-}" == --fix ]]; then
  clang-format -i "${sources[@]}"
  exit 0
fi
# One clang-format run for the whole tree; its warnings name each file that differs.
mapfile -t bad < <(clang-format --dry-run -Werror "${sources[@]}" 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error:.*/\1/p' | sort -u)
if ((${#bad[@]})); then
  printf 'check_format: not formatted (tools/check_format.sh --fix):\n' >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "check_format: ${#sources[@]} files formatted"
