#!/usr/bin/env bash
# Installs what the tests need, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELAMOR_SANITIZE=ON
cmake --build build-asan
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
# A private CUPS server with the cups-pdf queue "VelamorPDF" for the printing
# tests; they fail rather than skip when it is missing.
if CUPS_ADDRESS=$(bash scripts/cups-start.sh); then
  export CUPS_SERVER=$CUPS_ADDRESS
fi
export VELAMOR_REQUIRE_CUPS=1
ctest --test-dir build-asan --output-on-failure -j2 "$@"
