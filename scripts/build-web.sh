#!/usr/bin/env bash
# Builds the intro for the web: build/web/site, ready for any static web host.
# Installs what is missing (emscripten, Debian's source lists for the
# libraries' sources), builds libmikmod for WebAssembly from Debian's own
# source package of the version the native build uses, installs the page's
# service worker from the npm registry, then builds the program and the page
# (cmake --preset web).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --web

export NODE_PATH=/usr/share/nodejs  # emscripten's tools look for Debian's node modules there
libraries=build/web-libraries
mkdir -p "$libraries"

# libmikmod: the source package of the installed libmikmod-dev, unpacked with
# Debian's patches applied, built as a static library without output drivers
# (the program brings its own).
version=$(dpkg-query -W -f='${source:Version}' libmikmod-dev)
stamp=$libraries/libmikmod.version
if [ "$(cat "$stamp" 2>/dev/null)" != "$version" ]; then
  rm -rf "$libraries/libmikmod" "$libraries/lib" "$libraries/include"
  mkdir -p "$libraries/libmikmod" "$libraries/lib" "$libraries/include"
  (
    cd "$libraries/libmikmod"
    if apt-get source --download-only "libmikmod=$version" >download.log 2>&1; then
      dpkg-source -x ./*.dsc source >/dev/null
    elif ls ./*.orig.tar.* >/dev/null 2>&1; then
      # Some mirrors serve a source package's upstream tarball but not its
      # .dsc or Debian's changes: the upstream source as Debian ships it, then.
      echo "build-web: Debian's changes to libmikmod $version are not on this mirror; building its upstream source" >&2
      mkdir source
      tar -xf ./*.orig.tar.* -C source --strip-components=1
    else
      cat download.log >&2
      echo "build-web: cannot fetch the source of libmikmod $version" >&2
      exit 1
    fi
  )
  emcmake cmake -S "$libraries/libmikmod/source" -B "$libraries/libmikmod/build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS="-pthread" -DENABLE_STATIC=0 -DENABLE_THREADS=1 \
    -DENABLE_DL=0 -DENABLE_RPATH=0 -DENABLE_ALSA=0 -DENABLE_OSS=0 -DENABLE_PULSE=0 -DENABLE_SNDIO=0 \
    -DENABLE_SUNAUDIO=0 -DENABLE_AIX=0 -DENABLE_HPUX=0 -DENABLE_STDOUT=0 -DENABLE_PIPE=0 \
    -DENABLE_AIFF=0 -DENABLE_WAV=0 -DENABLE_RAW=0 >"$libraries/libmikmod/configure.log"
  cmake --build "$libraries/libmikmod/build" --target mikmod
  cp "$libraries/libmikmod/build/libmikmod.a" "$libraries/lib/"
  cp "$libraries/libmikmod/source/include/mikmod.h" "$libraries/include/"
  echo "$version" >"$stamp"
fi

# The service worker that isolates the page where the host sends no headers.
if [ ! -f "$libraries/npm/node_modules/coi-serviceworker/coi-serviceworker.min.js" ]; then
  mkdir -p "$libraries/npm"
  npm install --prefix "$libraries/npm" --no-audit --no-fund --silent coi-serviceworker@0.1.7
fi

cmake --preset web >/dev/null
cmake --build --preset web
du -sh build/web/site
