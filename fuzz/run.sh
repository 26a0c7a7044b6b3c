#!/usr/bin/env bash
# Runs one fuzz target for a number of seconds on its seed corpus:
#   fuzz/run.sh fuzz_bmp 600
# New inputs go to fuzz/corpus-work/TARGET (not checked in); a finding is
# written to fuzz/corpus-work/TARGET-crash-*. The build lives in build-fuzz.
set -euo pipefail
target=${1:?usage: fuzz/run.sh TARGET SECONDS}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${VELAMOR_FUZZ_BUILD:-$root/build-fuzz}
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELAMOR_FUZZ=ON -DVELAMOR_TESTS=OFF
fi
nice ninja -C "$build" -j2 "$target"
work=$here/corpus-work/$target
mkdir -p "$work"
seeds=()
if [ -d "$here/corpus/$target" ]; then seeds=("$here/corpus/$target"); fi
if [ -d "$here/corpus/${target%_fuzz}" ]; then seeds=("$here/corpus/${target%_fuzz}"); fi
# The largest block a picture may take is 2 GiB; a header that makes us ask
# for more than that is a finding.
exec nice "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
  -rss_limit_mb=2560 -malloc_limit_mb=2049 -timeout=20 \
  -artifact_prefix="$work-" "$work" "${seeds[@]}"
