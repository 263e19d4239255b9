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
if ctest --output-on-failure -j"$(nproc)" "$@"; then
    exit 0
fi
# Now and then LeakSanitizer's own tracer crashes while it stops the program's
# threads at exit ("Tracer caught signal 11", then "LeakSanitizer has
# encountered a fatal error"): a failure of the tool, not a finding. It happens
# in a test program or in a test engine the test started, whose standard
# error the test then prints with its failure. A test that failed that way
# and no other (no sanitizer report, and no more failed checks than tool
# crashes) runs once more; any other failure stands.
again=()
while IFS=: read -r _ name; do
    output=$(awk -v name="$name" '
        $0 ~ "Testing: " name "$" { inside = 1 }
        inside { print }
        inside && $0 ~ "^\"" name "\" end time" { inside = 0 }' Testing/Temporary/LastTest.log)
    crashes=$(grep -c 'LeakSanitizer has encountered a fatal error' <<< "$output" || true)
    failures=$(grep -c '^FAIL!' <<< "$output" || true)
    if ((crashes > 0 && failures <= crashes)) &&
        ! grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer: detected)|runtime error:' <<< "$output"; then
        again+=("$name")
    else
        exit 1
    fi
done < Testing/Temporary/LastTestsFailed.log
echo "sanitize.sh: LeakSanitizer itself failed in ${again[*]}; running once more"
pattern=$(IFS='|'; echo "${again[*]}")
ctest --output-on-failure -R "^($pattern)\$"
