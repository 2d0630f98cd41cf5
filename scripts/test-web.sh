#!/usr/bin/env bash
# The web site's tests: builds the site (scripts/build-web.sh) and runs it in
# Debian's headless Chromium from a plain static server on localhost
# (tests/web/test_web.py). Compares the page's console with debug.log of the
# native build given (build/default/trelk by default; it must be built).
#   scripts/test-web.sh [path/to/native/trelk]
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/default/trelk}
[ -x "$native" ] || { echo "test-web: $native is not built (cmake --build --preset default)" >&2; exit 1; }
scripts/build-web.sh
# Debian's Python, where python3-websocket is installed.
/usr/bin/python3 tests/web/test_web.py --site build/web/site --native "$native" --assets assets
