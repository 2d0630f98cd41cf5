#!/usr/bin/env bash
# Installs the Debian packages the intro and its tests need, when any is missing.
# The same list serves Debian 12 and Debian 13: only names both releases have
# (the unversioned ones, e.g. libclang-rt-dev, which follows the release's
# default clang).
#   scripts/install-deps.sh          what the native build and its tests need
#   scripts/install-deps.sh --web    also the web build's: emscripten, npm,
#                                    Chromium for its tests, and Debian's
#                                    source lists (for the libraries' sources)
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-dev pkg-config debootstrap clang-format clang-tidy
  libsdl2-dev libmikmod-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libgif-dev libpng-dev
  libwayland-dev libpixman-1-dev libswscale-dev libavformat-dev libavcodec-dev
  ffmpeg
  xvfb xdotool x11-apps x11-utils openbox libx11-dev libxfixes-dev python3 imagemagick
  weston xwayland libgl1-mesa-dri libgl1 libegl1 libgles2
  openmpt123 xmp sox
  lintian desktop-file-utils appstream man-db dpkg-dev file
)

if [ "${1:-}" = --web ]; then
  packages+=(emscripten chromium python3-websocket dpkg-dev)
  # npm comes with Debian's nodejs only as a package of its own.
  command -v npm >/dev/null || packages+=(npm)
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

# Debian's source packages (apt-get source): the same mirrors as the binary
# packages, with deb-src.
if [ "${1:-}" = --web ] && ! grep -rqs -e '^Types:.*deb-src' -e '^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/trelk-deb-src.sources >/dev/null
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/trelk-deb-src.list >/dev/null
  fi
  "${sudo_cmd[@]}" apt-get update -qq
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
