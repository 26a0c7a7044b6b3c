#!/usr/bin/env bash
# Installs what the program needs, builds a release build and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELAMOR_TESTS=OFF
cmake --build build-release
exec build-release/bin/velamor "$@"
