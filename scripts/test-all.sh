#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test:
# unit and end-to-end tests (plain and under the address and undefined-behaviour
# sanitizers), the style gates (scripts/check-style.sh), the Debian package's checks (scripts/check-package.sh), the unit
# tests under the thread sanitizer, and a short run of every fuzz target
# (FUZZ_SECONDS each, 60 by default). The web site is built and tested in
# headless Chromium (scripts/test-web.sh). The default stage (build, tests,
# style, package) runs a second time on Debian 13, in a root made with
# debootstrap (scripts/test-debian13.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-60}

section() { printf '\n== %s\n' "$*"; }

# The Debian 13 root is made and its packages installed (mostly network and
# disk) while the host builds; the Debian 13 stage below waits for it.
mkdir -p build
scripts/test-debian13.sh --prepare >build/debian13-prepare.log 2>&1 &
prepare=$!
trap 'kill "$prepare" 2>/dev/null || true' EXIT

section "default: build, unit and end-to-end tests"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

section "style: every C++ file formatted, names as the conventions say"
scripts/check-style.sh build/default

section "package: the .deb of the default build, lintian, validators, file list, installed run"
scripts/check-package.sh build/default

section "web: the site built with emscripten, in headless Chromium"
scripts/test-web.sh build/default/trelk

section "debian13: the default stage again, on Debian 13 (a debootstrap root in build/debian13)"
if ! wait "$prepare"; then
  cat build/debian13-prepare.log
  echo "the Debian 13 root could not be made or its packages installed" >&2
  exit 1
fi
grep -e '^-- debian13' -e '^test-debian13' build/debian13-prepare.log || true
scripts/test-debian13.sh

# The sanitizers' options (leak checking with its suppressions, stopping at
# the first report) come with the asan and tsan test presets.
section "asan: address and undefined-behaviour sanitizers, leak checking on"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

section "tsan: unit tests and an end-to-end run with the song playing"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
ctest --preset tsan -j "$jobs" -L unit
# End to end with the song playing: the music, timer and mixer threads at work.
ctest --preset tsan -R "e2e_test_sound|e2e_test_window"

section "fuzz: ${fuzz_seconds} s per target"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
scripts/run-fuzzers.sh build/fuzz "$fuzz_seconds"

section "all tests passed"
