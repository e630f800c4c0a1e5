#!/bin/sh
# Builds and runs every test twice: once plainly, once under AddressSanitizer
# and UndefinedBehaviorSanitizer.
set -e
cd "$(dirname "$0")/.."
tools/install_deps.sh
jobs="$(nproc)"
for variant in plain asan; do
  dir="build-test-$variant"
  sanitize=OFF
  [ "$variant" = asan ] && sanitize=ON
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMSGMAKE_SANITIZE=$sanitize >/dev/null
  cmake --build "$dir" -j"$jobs"
  echo "== tests ($variant)"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$dir" --output-on-failure -j"$jobs"
done
