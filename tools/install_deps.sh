#!/bin/sh
# Installs the Debian packages the build, the tests and the example need,
# skipping those already present. With the argument "windows", also those of
# the Windows build.
set -e
packages="cmake g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev python3"
# "windows": also those of the Windows build and its tests: the mingw-w64
# cross compiler, Wine to run the programs, ccache for the cross build.
[ "$1" = windows ] && packages="$packages g++-mingw-w64-x86-64-posix wine wine64 ccache"
missing=""
for p in $packages; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q $missing
fi
