#!/usr/bin/env bash
# Runs every fuzz target for its budget: ten million executions or ten
# minutes, whichever comes first. New inputs go to a working corpus under the
# build folder; a crash leaves its input there and fails the run.
# Usage: tests/fuzz/run-fuzz.sh [BUILD_DIR=build/fuzz] [TARGET...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build/fuzz}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(FuzzHostRecord FuzzType11Parser FuzzType13Parser FuzzType17Parser FuzzToken
             FuzzIniReader FuzzLogNaming FuzzLinkLines FuzzConsoleLink FuzzConsoleTables
             FuzzConsoleData FuzzConsoleHost)
fi
runs=${FUZZ_RUNS:-10000000}
seconds=${FUZZ_SECONDS:-600}
out="$build/fuzz-runs"
mkdir -p "$out"
status=0
for target in "${targets[@]}"; do
    work="$out/$target"
    mkdir -p "$work/corpus"
    start=$(date +%s)
    if (cd "$work" && nice -n 10 "$OLDPWD/$build/tests/fuzz/$target" -runs="$runs" \
            -max_total_time="$seconds" -max_len=512 -print_final_stats=1 \
            corpus "$here/corpus/$target" > run.log 2>&1); then
        verdict=clean
    else
        verdict=FAILED
        status=1
    fi
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/run.log" | grep -o '[0-9]*$' || echo 0)
    echo "$target: $verdict, $execs executions in $(( $(date +%s) - start )) s"
done
exit $status
