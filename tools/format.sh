#!/usr/bin/env bash
# Formats every tracked C++ source and header as .clang-format says, or with
# --check only lists the files that differ from it and fails when there are any.
# usage: tools/format.sh [--check]
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format) || {
  echo "clang-format is not installed (Debian package clang-format)" >&2
  exit 1
}
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ "${1:-}" == --check ]]; then
  unformatted=$("$format" --dry-run "${files[@]}" 2>&1 | grep 'code should be clang-formatted' | cut -d: -f1 | sort -u || true)
  [[ -z "$unformatted" ]] && exit 0
  echo "not formatted as .clang-format says (run tools/format.sh):" >&2
  echo "$unformatted" >&2
  exit 1
fi
"$format" -i "${files[@]}"
