#!/usr/bin/env bash
# Runs one libFuzzer target with its seed corpus:
#   fuzz/run.sh TARGET [SECONDS]     e.g. fuzz/run.sh thumbdb_fuzz 600
# Expects the targets in build-fuzz (see fuzz/CMakeLists.txt). New inputs go to
# build-fuzz/corpus/TARGET, crashes to build-fuzz/crashes/.
set -euo pipefail
target=${1:?target name}
seconds=${2:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
seeds="$root/fuzz/corpus/${target%_fuzz}"
work="$root/build-fuzz/corpus/$target"
mkdir -p "$work" "$root/build-fuzz/crashes"
args=("-max_total_time=$seconds" "-artifact_prefix=$root/build-fuzz/crashes/$target-")
[ -n "${FUZZ_MAX_LEN:-}" ] && args+=("-max_len=$FUZZ_MAX_LEN")
dirs=("$work")
[ -d "$seeds" ] && dirs+=("$seeds")
exec nice "$root/build-fuzz/fuzz/$target" "${args[@]}" "${dirs[@]}"
