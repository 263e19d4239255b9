#!/usr/bin/env bash
# Sets the machine up, builds, and starts the front end in its working folder
# build/workdir, beside the test engine, the scene files and the help file.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh"
cd "$root/build/workdir"
exec "$root/build/bin/vykon3d"
