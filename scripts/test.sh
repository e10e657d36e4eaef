#!/bin/sh
# Builds Quillbox with the address and undefined-behaviour sanitizers and
# runs every test. Installs missing build dependencies first.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset asan
cmake --build --preset asan
ctest --preset asan -j "$(nproc)"
