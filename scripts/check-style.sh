#!/usr/bin/env bash
# Checks the style gates and fails when one finds anything:
# - every C++ file of the tree (build directories left out) is formatted as
#   .clang-format says (clang-format --dry-run --Werror). The tree's formatter
#   is clang-format 14 (Debian 12): clang-format 19 (Debian 13) reads the same
#   settings but lays out some constructs otherwise (requires clauses, for
#   one), and no option both versions know makes them agree. The tree avoids
#   those it can: a C struct's object is "struct stat status = {};", which
#   both lay out alike ("status {}" they do not). With another version the
#   check runs and reports, but only clang-format 14 fails it;
# - clang-tidy's naming check (.clang-tidy) finds nothing in the program and
#   the stand-in: their sources and their own headers, not the stand-in's
#   public headers in platform/include, which keep the platform's spelling;
# - no file includes another by a path that climbs ("../"): such a path
#   resolves from the including file and would pass the program's fence.
# Usage: scripts/check-style.sh [build directory with compile_commands.json]
# (build/default by default, configured when missing). JOBS sets the number of
# clang-tidy processes (2 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
jobs=${JOBS:-2}

if [ ! -f "$build/compile_commands.json" ]; then
  if [ "$build" != build/default ]; then
    echo "check-style: no $build/compile_commands.json; configure that build first" >&2
    exit 2
  fi
  cmake --preset default >/dev/null
fi

failed=0

formatter_major=14
major=$(clang-format --version | sed -n 's/.*clang-format version \([0-9]*\).*/\1/p')
echo "== formatting (clang-format $major)"
if find . \( -path ./.git -o -path './build' -o -path './build-*' \) -prune -o \
     -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
   xargs -0 clang-format --dry-run --Werror; then
  echo "formatting: clean"
elif [ "$major" = "$formatter_major" ]; then
  echo "formatting: FAILED (clang-format -i the files above)"
  failed=1
else
  echo "formatting: clang-format $major lays out the files above otherwise; the tree's formatter," \
    "clang-format $formatter_major, decides (not a failure)"
fi

echo "== includes (no \"../\")"
climbing=$(find . \( -path ./.git -o -path './build' -o -path './build-*' \) -prune -o \
             -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
           xargs -0 grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]\.\./' || true)
if [ -z "$climbing" ]; then
  echo "includes: clean"
else
  printf '%s\n' "$climbing"
  echo "includes: FAILED (include from the top of the tree: \"folder/file.h\")"
  failed=1
fi

echo "== naming (clang-tidy readability-identifier-naming)"
# compile_commands.json names files under the top of the tree as CMake saw it;
# both spellings of the current directory are allowed.
escape() { printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g'; }
roots="$(escape "$(pwd -P)")"
if [ "$(pwd -P)" != "$(pwd -L)" ]; then
  roots="$roots|$(escape "$(pwd -L)")"
fi
program='app|log|display|scene|image|presentation|music'
stand_in='platform/(core|present|entry|win32|ddraw|d3d|dsound|mmsystem|capture)'
if run-clang-tidy -p "$build" -j "$jobs" -quiet \
     -header-filter="^($roots)/($program|$stand_in)/[^/]+\.h\$" \
     "^($roots)/($program|platform)/.*\.cpp\$" 2>&1 | sed 's/\x1b\[[0-9;]*m//g' >"$build/check-style-tidy.log"; then
  echo "naming: clean"
else
  grep -E 'error:|warning:' "$build/check-style-tidy.log" | grep -v '^clang-tidy' | sort -u || true
  echo "naming: FAILED (full output in $build/check-style-tidy.log)"
  failed=1
fi

exit "$failed"
