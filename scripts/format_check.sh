#!/bin/sh
# Checks that every C++ file under src/, bench/, fuzz/ and tests/ is laid
# out as .clang-format says, with the pinned clang-format-14 (other versions
# lay some lines out differently). Prints each file that differs and fails.
# scripts/format_check.sh [files...] checks only the files named.
set -eu
cd "$(dirname "$0")/.."
if ! command -v clang-format-14 >/dev/null 2>&1; then
  echo "format_check: clang-format-14 is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi
list_files() {
  if [ "$#" -gt 0 ]; then
    printf '%s\0' "$@"
  else
    find src bench fuzz tests -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z
  fi
}
list_files "$@" | xargs -0 clang-format-14 --dry-run --Werror
echo "format_check: every file checked is formatted"
