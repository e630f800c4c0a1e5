#!/bin/sh
# Builds and runs every test twice, with warnings as errors: once in a Release
# build, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -e
cd "$(dirname "$0")/.."
tools/install_deps.sh
jobs="$(nproc)"
for variant in plain asan; do
  dir="build-test-$variant"
  sanitize=OFF
  build_type=Release
  if [ "$variant" = asan ]; then
    sanitize=ON
    build_type=RelWithDebInfo
  fi
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=$build_type -DMSGMAKE_WERROR=ON -DMSGMAKE_SANITIZE=$sanitize >/dev/null
  cmake --build "$dir" -j"$jobs"
  echo "== tests ($variant)"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$dir" --output-on-failure -j"$jobs"
done
