#!/bin/sh
# Installs the Debian packages the build, the tests and the example need,
# skipping those already present. libcli11-dev parses the options;
# nlohmann-json3-dev writes the report of --json;
# libidn2-dev (with libunistring-dev, which its static library needs) writes
# domain names beyond ASCII as A-labels; libcmark-gfm-dev and
# libcmark-gfm-extensions-dev (static libraries, linked in) render Markdown
# bodies with GitHub's tables; groff-base
# checks the manual page; dpkg-dev and file let cpack find the package's
# library dependencies; media-types is the system's table of media types
# (/etc/mime.types) that attachments are labelled from; maildrop's reformime
# is the tests' second MIME parser; zsh loads the zsh completion in its
# test; w3m's text of a page is what the plain part's test compares with.
# With the argument "windows", also those of the Windows build and its
# tests: the mingw-w64 cross compiler, Wine to run the programs, ccache for
# the cross build (CLI11 and nlohmann-json are header only, and the cross
# build reads the same headers).
set -e
packages="cmake g++ make libidn2-dev libunistring-dev libcmark-gfm-dev libcmark-gfm-extensions-dev libgtest-dev libgmock-dev googletest libbenchmark-dev python3 libcli11-dev nlohmann-json3-dev groff-base dpkg-dev file media-types maildrop zsh w3m"
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
