#!/usr/bin/env bash
# Serves the web site (build/web/site, made by scripts/build-web.sh) on
# localhost, as a plain static host would: no special headers.
#   scripts/serve-web.sh [port]     (8000 by default; Ctrl+C stops it)
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8000}
[ -f build/web/site/index.html ] || { echo "serve-web: no site yet; run scripts/build-web.sh" >&2; exit 1; }
echo "The intro is at http://127.0.0.1:$port/ (Ctrl+C stops serving)"
exec python3 -m http.server --bind 127.0.0.1 --directory build/web/site "$port"
