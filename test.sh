#!/usr/bin/env bash
# Sets the machine up, builds, and runs every test with CTest. Widget tests
# run on Qt's offscreen platform; the test engine's tests start their own
# virtual X display.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh"
cd "$root/build"
ctest --output-on-failure -j"$(nproc)" "$@"
