#!/bin/sh
# Checks that no layer includes a header of a layer above it, then builds
# and runs every test three times, with warnings as errors: once in a
# Release build, once under AddressSanitizer and UndefinedBehaviorSanitizer,
# and once as Windows programs (msgmake.exe and the test programs,
# cross-built with mingw-w64) under Wine.
set -e
cd "$(dirname "$0")/.."
tools/install_deps.sh windows
tools/check_layers.py
jobs="$(nproc)"
for variant in plain asan windows; do
  dir="build-test-$variant"
  options="-DCMAKE_BUILD_TYPE=Release -DMSGMAKE_WERROR=ON"
  options="$options -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
  [ "$variant" = asan ] && options="$options -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMSGMAKE_SANITIZE=ON"
  # The cross compiler is GCC 12, whose -O3 warns of overlaps inside
  # std::string's own inlined code (GCC bug 105329): -O2 for Windows.
  [ "$variant" = windows ] && options="$options -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake"
  cmake -S . -B "$dir" $options >/dev/null
  cmake --build "$dir" -j"$jobs"
  echo "== tests ($variant)"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$dir" --output-on-failure -j"$jobs"
done
