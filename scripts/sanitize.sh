#!/usr/bin/env bash
# Builds the whole project a second time, with AddressSanitizer and
# UndefinedBehaviorSanitizer, into build-asan/ and runs every test there. Any
# sanitizer report fails the test that caused it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" > /dev/null
build="$root/build-asan"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVYKON_SANITIZE=ON
fi
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS="abort_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
