#!/usr/bin/env bash
# Installs everything the builds and tests need and builds libharu for the mingw targets.
# Safe to run again: it installs only missing packages and rebuilds libharu only when its
# installed copy under build/deps is missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"

packages=(
  cmake g++ make ninja-build pkg-config
  libgtest-dev googletest libhpdf-dev zlib1g-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64-dev
  wine wine64 xvfb xauth x11-apps imagemagick fonts-wine fonts-liberation
  poppler-utils dpkg-dev xz-utils
  clang libbenchmark-dev libpugixml-dev libdeflate-dev libpng-dev
)

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# libharu's source comes from Debian's source package, so apt needs a deb-src entry.
src_list=/etc/apt/sources.list.d/quorvane-src.sources
need_src=0
[ -f "$deps/libharu-src/.unpacked" ] || need_src=1
if [ "$need_src" -eq 1 ] && [ ! -f "$src_list" ]; then
  echo "setup: adding a deb-src entry for Debian's libharu source package"
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  sudo_if_needed tee "$src_list" >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi

apt_updated=0
apt_update() {
  [ "$apt_updated" -eq 1 ] && return 0
  echo "setup: apt-get update"
  # One broken index (a foreign architecture on some machines) must not stop the install.
  sudo_if_needed apt-get update || echo "setup: apt-get update reported errors; continuing"
  apt_updated=1
}

if [ "${#missing[@]}" -gt 0 ]; then
  apt_update
  echo "setup: installing ${missing[*]}"
  sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

mkdir -p "$deps"
if [ "$need_src" -eq 1 ]; then
  echo "setup: fetching Debian's libharu source"
  rm -rf "$deps/libharu-src" "$deps/download"
  mkdir -p "$deps/download"
  # Debian's own changes tarball may be missing from the mirror; the original tarball is
  # enough, so the download's status is judged by that tarball alone.
  (cd "$deps/download" && apt-get source --download-only libharu) >/dev/null 2>&1 || true
  if ! ls "$deps"/download/libharu_*.orig.tar.* >/dev/null 2>&1; then
    apt_update
    (cd "$deps/download" && apt-get source --download-only libharu) || true
  fi
  orig=$(ls "$deps"/download/libharu_*.orig.tar.* 2>/dev/null | head -n 1)
  if [ -z "$orig" ]; then
    echo "setup: could not download libharu's source package" >&2
    exit 1
  fi
  mkdir -p "$deps/libharu-src"
  tar -xf "$orig" -C "$deps/libharu-src" --strip-components=1
  touch "$deps/libharu-src/.unpacked"
fi

build_haru() {
  local triple=$1 toolchain=$2
  local prefix="$deps/$triple"
  [ -f "$prefix/lib/libhpdfs.a" ] && return 0
  echo "setup: building libharu for $triple"
  local log="$deps/build-haru-$triple.log"
  rm -rf "$deps/build-haru-$triple"
  {
  cmake -S "$deps/libharu-src" -B "$deps/build-haru-$triple" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DLIBHPDF_SHARED=NO -DLIBHPDF_STATIC=YES \
    -DLIBHPDF_EXAMPLES=NO -DCMAKE_DISABLE_FIND_PACKAGE_PNG=TRUE &&
  cmake --build "$deps/build-haru-$triple" &&
  cmake --install "$deps/build-haru-$triple"
  } >"$log" 2>&1 || { tail -n 30 "$log" >&2; echo "setup: building libharu for $triple failed (see $log)" >&2; exit 1; }
  # The static library is called libhpdfs.a; its headers land in include/.
  [ -f "$prefix/lib/libhpdfs.a" ] || { echo "setup: libharu for $triple did not install libhpdfs.a" >&2; exit 1; }
}
build_haru x86_64-w64-mingw32 mingw-x86_64.cmake
build_haru i686-w64-mingw32 mingw-i686.cmake
echo "setup: ready"
