#!/usr/bin/env bash
# Installs whatever is missing from Debian's packages, then configures and
# builds the whole project into build/. Idempotent: with nothing missing and
# nothing changed it only checks, which takes a few seconds. Further package
# names given as arguments are installed too when missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
    build-essential cmake pkg-config dpkg-dev file
    qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev
    libgl1-mesa-dri libegl-dev mesa-vulkan-drivers fonts-dejavu-core
    weston qt6-wayland
    xvfb xauth xdg-utils x11-utils xdotool strace
    fp-utils
    lintian appstream desktop-file-utils
    libcpp-httplib-dev libqt6sql6-sqlite libqt6sql6-psql postgresql-15 chromium systemd curl
    "$@"
)
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
# Without root and without a usable sudo nothing can be installed: say what
# is missing and how to install it, instead of failing on the first command.
cannot_install() {
    {
        echo "setup.sh: these Debian packages are missing: ${missing[*]}"
        echo "$1 Install them as root with this one command:"
        echo "    apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
        echo "(for example: su -c 'apt-get update && apt-get install -y --no-install-recommends ${missing[*]}')"
        echo "and then start this again."
    } >&2
    exit 1
}
if ((${#missing[@]})); then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo > /dev/null; then
            cannot_install "They can only be installed as root, and sudo is not installed."
        fi
        # sudo asks for the password once here, where its refusal can still
        # be explained; without a terminal it may not ask at all.
        if [ -t 0 ]; then
            sudo -v || cannot_install "sudo did not let $(id -un) install them."
        else
            sudo -n true || cannot_install "sudo did not let $(id -un) install them without a password."
        fi
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
