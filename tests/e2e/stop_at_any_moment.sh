#!/usr/bin/env bash
# The full form of the Escape-at-any-moment test: 200 runs (CI runs 20).
# An address-sanitizer build's runs get the sanitizer options and leak
# suppressions from the test harness, as under ctest.
#   tests/e2e/stop_at_any_moment.sh [build dir] [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)  # relative or absolute
export E2E_STOP_RUNS=${2:-200}
exec python3 "$root/tests/e2e/test_escape_any_moment.py" --intro "$build/trelk" \
  --probe "$build/tests/e2e/x11_probe" --work "$build/stop-at-any-moment" --assets "$root/assets"
