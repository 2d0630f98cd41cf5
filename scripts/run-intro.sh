#!/usr/bin/env bash
# Installs what is missing, builds the intro and starts it. Escape ends it;
# options are handed on (scripts/run-intro.sh --windowed, --help for the list).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target trelk
exec build/default/trelk "$@"
