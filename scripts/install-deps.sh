#!/bin/sh
# Installs what the builds and tests need from Debian's packages: the i686
# MinGW-w64 cross compiler, Wine with 32-bit support, CMake, Ninja,
# GoogleTest, Google Benchmark, valgrind, clang (fuzzing), tmux (the
# end-to-end session), zip (packaging) and mawk (the merge bench's awk).
set -eu

packages="cmake ninja-build g++ make pkg-config
  g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32 libwine:i386
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  valgrind clang libclang-rt-dev tmux zip python3 util-linux mawk"

missing=""
for package in $packages; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing="$missing $package"
  fi
done

if [ -z "$missing" ]; then
  echo "deps: everything is installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

echo "deps: installing$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
