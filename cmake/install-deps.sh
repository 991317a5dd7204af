#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need, lintian and
# dpkg-shlibdeps for the Debian package, and those of the Windows build: the mingw-w64 cross
# compiler (posix thread model), GoogleTest's sources to cross-build, and Wine (with an X server
# and a sound server for the host) to run the tests.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev valgrind
  libsdl2-dev sox qt6-base-dev
  lintian dpkg-dev file
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest
  wine wine64 xvfb fonts-wine pulseaudio xdotool imagemagick python3
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
