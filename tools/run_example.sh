#!/bin/sh
# Sets up the machine, builds a release msgmake and runs it on the bundled example.
set -e
cd "$(dirname "$0")/.."
tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMSGMAKE_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target msgmake
build/msgmake --help
