#!/bin/sh
# Builds Quillbox with the address and undefined-behaviour sanitizers and
# runs every test, then runs every fuzz target for a few seconds
# (scripts/fuzz.sh; give it more seconds for a longer run). Installs missing
# build dependencies first.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset asan
cmake --build --preset asan
ctest --preset asan -j "$(nproc)"
./scripts/fuzz.sh 5
