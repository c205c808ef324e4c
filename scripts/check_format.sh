#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it with the
# repository's .clang-format, and names the files.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
else
  mapfile -t files < <(find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print)
fi
if ! report=$(clang-format --dry-run -Werror "${files[@]}" 2>&1); then
  echo "These files are not formatted as .clang-format says (run clang-format -i on them):" >&2
  grep -oE '^[^:]+:[0-9]+:[0-9]+: error' <<<"$report" | cut -d: -f1 | sort -u | sed 's/^/  /' >&2
  exit 1
fi
echo "Formatting: ${#files[@]} files as .clang-format says."
