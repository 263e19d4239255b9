#!/usr/bin/env bash
# Installs whatever is missing from Debian's packages, then configures and
# builds the whole project into build/. Idempotent: with nothing missing and
# nothing changed it only checks, which takes a few seconds. Further package
# names given as arguments are installed too when missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
    build-essential cmake pkg-config dpkg-dev file
    qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev libgl1-mesa-dri fonts-dejavu-core
    xvfb xauth xdg-utils xdotool
    fp-utils
    "$@"
)
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]})); then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo=sudo
    fi
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build="$root/build"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j"$(nproc)"
