#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each one for a
# bounded time on a copy of its seed corpus (tests/fuzz/corpus/<target>/, plus
# any seeds the build generated into build-fuzz/tests/fuzz/corpus/<target>/).
# Any crash, hang, leak, sanitizer report or broken property fails the
# script; the input that caused it stays in build-fuzz/run/<target>/.
#
#   scripts/fuzz.sh [target...]     FUZZ_SECONDS=60 per target by default (less for
#                                   the few targets named below)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build="$root/build-fuzz"
"$root/scripts/setup.sh" clang libclang-rt-14-dev > /dev/null

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVYKON_FUZZ=ON
fi
cmake --build "$build" -j"$(nproc)"

if (($#)); then
    targets=("$@")
else
    targets=()
    for binary in "$build"/tests/fuzz/fuzz_*; do
        [ -f "$binary" ] && [ -x "$binary" ] && targets+=("$(basename "$binary")")
    done
fi
if ((${#targets[@]} == 0)); then
    echo "fuzz.sh: no fuzz targets were built" >&2
    exit 1
fi

# The targets write every input as a file; a memory-backed folder keeps the
# disk out of the measurement.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
# Leaks are reported at the end of each input, so a leak fails the run.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The run summary's codec is a thin layer over Qt's JSON parser, whose own
# paths are not ours to search: a short run covers what the codec adds.
declare -A short_targets=([fuzz_run_summary]=15)

failed=()
for target in "${targets[@]}"; do
    limit=${short_targets[$target]:-$seconds}
    ((limit <= seconds)) || limit=$seconds
    run="$build/run/$target"
    rm -rf "$run"
    mkdir -p "$run/corpus" "$run/findings"
    for seeds in "$root/tests/fuzz/corpus/$target" "$build/tests/fuzz/corpus/$target"; do
        if [ -d "$seeds" ]; then
            cp -r "$seeds/." "$run/corpus/"
        fi
    done
    status=0
    "$build/tests/fuzz/$target" -max_total_time="$limit" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$run/findings/" "$run/corpus" > "$run/log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/log" | tail -1)
    if ((status != 0)) || [ -n "$(ls -A "$run/findings")" ]; then
        failed+=("$target")
        echo "FAILED $target (exit $status), log: $run/log" >&2
        tail -n 40 "$run/log" >&2
    else
        echo "$target: ${executions:-?} executions in $limit s, corpus $(ls "$run/corpus" | wc -l) files"
    fi
done

if ((${#failed[@]})); then
    echo "fuzz.sh: failed: ${failed[*]}" >&2
    exit 1
fi
