#!/usr/bin/env bash
# Builds the Debian package, checks what it holds and what it depends on, then
# unpacks it and starts the program from the unpacked tree through its
# launcher, as the installed package would start.
# Usage: test_package.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$tmp/out" > "$tmp/cpack.log") || { cat "$tmp/cpack.log"; fail "cpack failed"; }
deb=$(ls "$tmp"/out/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqt6opengl6 qt6-qpa-plugins libgl1-mesa-dri; do
    grep -q "$need" <<< "$depends" || fail "the package does not depend on $need: $depends"
done
dpkg-deb -x "$deb" "$tmp/root"
for f in usr/bin/vykon3d usr/libexec/vykon3d/vykon3d usr/libexec/vykon3d/trenzor.exe usr/share/vykon3d/test6.bin \
         usr/share/vykon3d/browser0.bin usr/share/vykon3d/pomoc.chm usr/share/vykon3d/systemy.dtb \
         usr/share/applications/vykon3d.desktop usr/share/icons/hicolor/scalable/apps/vykon3d.svg; do
    [ -e "$tmp/root/$f" ] || fail "$f missing from the package"
done

(
    trap - EXIT
    exec env HOME="$tmp/home" XDG_DATA_HOME="" QT_QPA_PLATFORM=offscreen "$tmp/root/usr/bin/vykon3d"
) > /dev/null 2>&1 &
pid=$!
work="$tmp/home/.local/share/vykon3d"
for _ in $(seq 1 100); do
    [ -s "$work/nastaveni.atr" ] && break
    sleep 0.05
done
kill "$pid" 2> /dev/null || true
wait "$pid" 2> /dev/null || true
[ -s "$work/nastaveni.atr" ] || fail "the packaged program did not start"
[ -x "$work/trenzor.exe" ] || fail "no test engine in the working folder"
echo "package test passed"
