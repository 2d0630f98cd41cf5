#!/usr/bin/env bash
# The default stage on Debian 13 ("trixie"), in a root made with debootstrap:
# the install script, then the build, the unit and end-to-end tests, the style
# gates and the package's checks, all inside the root.
#
# The root lives in build/debian13/root and is kept between runs: a complete
# one is reused (its packages brought up to date by the install script), a
# missing or half-made one is made afresh. Debian's mirror is the one this
# machine's apt uses (the URIs of /etc/apt/sources.list.d/debian.sources, or
# the first "deb" line of /etc/apt/sources.list). The tree is bind-mounted at
# /trelk inside the root and built in build/debian13/default, apart from the
# host's builds. The mounts live in the script's own mount namespace and are
# undone on exit.
#   scripts/test-debian13.sh            (as root, or through sudo)
#   scripts/test-debian13.sh --prepare  only makes the root and installs the
#                                       packages (scripts/test-all.sh does this
#                                       while the host builds)
set -euo pipefail
prepare_only=false
if [ "${1:-}" = --prepare ]; then
  prepare_only=true
fi
cd "$(dirname "$0")/.."
top=$(pwd -P)
stage=$top/build/debian13
root=$stage/root
complete=$stage/root.complete
suite=trixie
inside=/trelk

# On Debian 13 itself the default stage has just run on the host.
if [ -r /etc/os-release ] && [ "$(. /etc/os-release && echo "${ID:-}:${VERSION_ID:-}")" = debian:13 ]; then
  echo "test-debian13: this machine runs Debian 13; nothing more to prove"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=CI "$0" "$@"
fi
# The mounts are made in a mount namespace of the script's own: they go with
# it however it ends, and the host never sees its /dev bound into the root
# (where removing build/ would reach it).
if [ -z "${TRELK_DEBIAN13_NAMESPACE:-}" ]; then
  exec env TRELK_DEBIAN13_NAMESPACE=1 unshare --mount --propagation private "$0" "$@"
fi

clock() { date +%s; }
started=$(clock)
step_start=$started
timed() {  # timed <what>: the time since the last mark, then a new mark
  local now
  now=$(clock)
  printf -- '-- debian13: %s took %d s\n' "$1" $((now - step_start))
  step_start=$now
}

mirror() {
  local uri=""
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    # The first stanza that serves Debian itself (not its security archive).
    uri=$(awk '/^URIs:/ { for (i = 2; i <= NF; i++) if ($i !~ /security/) { print $i; exit } }' \
      /etc/apt/sources.list.d/debian.sources)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk '$1 == "deb" && $0 !~ /security/ { for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) { print $i; exit } }' \
      /etc/apt/sources.list)
  fi
  [ -n "$uri" ] || { echo "test-debian13: no Debian mirror in this machine's apt sources" >&2; exit 1; }
  printf '%s\n' "$uri"
}

mounted_below() { findmnt -rn -o TARGET | awk -v r="$root" 'index($0, r "/") == 1 || $0 == r'; }

unmount_all() {
  local target
  # Deepest first; lazily, so that a process a failed test left behind
  # cannot keep the host's /dev bound into the root.
  for target in $(mounted_below | sort -r); do
    umount -l "$target" 2>/dev/null || true
  done
}
trap unmount_all EXIT
trap 'exit 143' TERM INT

if [ -n "$(mounted_below)" ]; then
  echo "test-debian13: something is still mounted in $root; unmounting it"
  unmount_all
fi

if [ ! -f "$complete" ]; then
  if [ -e "$root" ]; then
    echo "test-debian13: $root is incomplete; making it afresh"
    [ -z "$(mounted_below)" ] || { echo "test-debian13: $root still has mounts; not removing it" >&2; exit 1; }
    rm -rf --one-file-system "$root"
  fi
  mkdir -p "$stage"
  url=$(mirror)
  echo "test-debian13: debootstrap --variant=minbase $suite from $url"
  debootstrap --variant=minbase "$suite" "$root" "$url" >"$stage/debootstrap.log" 2>&1 ||
    { tail -n 20 "$stage/debootstrap.log" >&2; echo "test-debian13: debootstrap failed" >&2; exit 1; }
  # No service starts inside the root when a package is installed, and dpkg
  # does not sync every file it unpacks (a root for tests, made again at will).
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod 755 "$root/usr/sbin/policy-rc.d"
  echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
  touch "$complete"
  timed "debootstrap"
else
  echo "test-debian13: reusing $root"
fi

cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mkdir -p "$root$inside"
mount --bind "$top" "$root$inside"

# Runs a command in the tree inside the root, with a clean environment.
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" DEBIAN_FRONTEND=noninteractive \
    /bin/bash -c "cd $inside && $1"
}

echo "-- debian13: $(in_root 'cat /etc/debian_version') in $root"
# A run stopped while dpkg worked leaves packages half set up; apt then
# refuses to install anything until they are finished.
in_root "dpkg --configure -a"
in_root scripts/install-deps.sh
timed "installing the packages"
if $prepare_only; then
  exit 0
fi

build=build/debian13/default
in_root "cmake --preset default -B $build >/dev/null && cmake --build $build -j 2"
timed "configuring and building"

in_root "ctest --test-dir $build -j 2 --output-on-failure"
timed "unit and end-to-end tests"

in_root "scripts/check-style.sh $build"
timed "the style gates"

in_root "scripts/check-package.sh $build"
timed "the package's checks"

printf -- '-- debian13: all passed in %d s\n' $(($(clock) - started))
