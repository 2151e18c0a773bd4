#!/usr/bin/env bash
# Checks every C and C++ source under version control against .clang-format with clang-format-14,
# and names each file that strays (exit status 1). With --fix, formats them in place instead.
#
# usage: scripts/check-format.sh [--fix] [files...]   (default: every tracked *.c, *.h, *.cpp, *.hpp)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
format="${CLANG_FORMAT:-clang-format-14}"
fix=0
if [ "${1:-}" = "--fix" ]; then
  fix=1
  shift
fi

if ! command -v "$format" >/dev/null; then
  echo "check-format: $format not found (Debian package clang-format-14)" >&2
  exit 2
fi

cd "$root"
if [ "$#" -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files -- '*.c' '*.h' '*.cpp' '*.hpp')
fi
if [ "${#files[@]}" -eq 0 ]; then
  echo "check-format: no files to check" >&2
  exit 2
fi

if [ "$fix" -eq 1 ]; then
  "$format" -i --style=file "${files[@]}"
  exit 0
fi

# --dry-run reports every place that would change as "<file>:<line>:<col>: error: code should be
# clang-formatted"; a file it cannot read or parse gives an error of its own and a failing status.
status=0
report="$("$format" --dry-run --Werror --ferror-limit=1 --style=file "${files[@]}" 2>&1)" || status=$?
if [ "$status" -eq 0 ]; then
  echo "Every file is formatted as .clang-format says (${#files[@]} files)."
  exit 0
fi
mapfile -t strays < <(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$report" | sort -u)
if [ "${#strays[@]}" -eq 0 ]; then
  # Not a formatting difference: clang-format itself failed (a missing file, a bad .clang-format).
  echo "$report" >&2
  exit 2
fi
echo "Not formatted as .clang-format says (scripts/check-format.sh --fix formats them):" >&2
printf '  %s\n' "${strays[@]}" >&2
exit 1
