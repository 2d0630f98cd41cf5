#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test:
# unit and end-to-end tests (default and address/UB sanitizers), the music and
# unit tests under the thread sanitizer, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
FUZZ_SECONDS=${FUZZ_SECONDS:-60}

echo "== default: build, unit and end-to-end tests"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

echo "== asan: address and undefined-behaviour sanitizers"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --preset asan -j "$jobs"

if [ -f scripts/test-extra.sh ]; then
  FUZZ_SECONDS=$FUZZ_SECONDS scripts/test-extra.sh
fi
echo "== all tests passed"
