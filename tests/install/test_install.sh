#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the program there as
# a user would, through the installed launcher: the user's working folder is
# prepared with the engine, the scenes and the help file, the shipped systems
# database starts the user's own, and neither a later start nor a later
# installation overwrites the user's files.
# Usage: test_install.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# An installation as the README gives it: the program users run, and
# nothing of the results service, which only its package installs.
cmake --install "$build" --prefix "$tmp/prefix" > /dev/null
prefix="$tmp/prefix"
[ ! -e "$prefix/sbin/vykon3d-server" ] || fail "the results service was installed with the program"
for f in bin/vykon3d libexec/vykon3d/vykon3d libexec/vykon3d/trenzor.exe share/vykon3d/pomoc.chm \
         share/vykon3d/systemy.dtb share/applications/vykon3d.desktop \
         share/icons/hicolor/scalable/apps/vykon3d.svg; do
    [ -e "$prefix/$f" ] || fail "$f not installed"
done
for i in 0 1 2 3 4 5 6; do
    [ -s "$prefix/share/vykon3d/test$i.bin" ] && [ -s "$prefix/share/vykon3d/browser$i.bin" ] \
        || fail "scene files of test $i not installed"
done
grep -q '^Exec=vykon3d$' "$prefix/share/applications/vykon3d.desktop" || fail "desktop entry does not start the launcher"

# Starts the installed program for a moment, as the user of this home.
# Usage: start_once WORKING_FOLDER [XDG_DATA_HOME]. Waits up to 30 s for the
# front end to write its engine configuration there: on a loaded machine a
# start can take several seconds.
start_once() {
    local folder=$1 data=${2:-}
    # The child drops the clean-up trap at once: a kill that comes before it
    # has become the launcher must not run it.
    (
        trap - EXIT
        exec env HOME="$tmp/home" XDG_DATA_HOME="$data" QT_QPA_PLATFORM=offscreen "$prefix/bin/vykon3d"
    ) > /dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 1 600); do
        [ -s "$folder/nastaveni.atr" ] && break
        sleep 0.05
    done
    kill "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
}

work="$tmp/home/.local/share/vykon3d"
mkdir -p "$tmp/home"
start_once "$work"
[ -s "$work/nastaveni.atr" ] || fail "the front end did not start in $work"
[ "$(stat -c %s "$work/nastaveni.atr")" = 413 ] || fail "the default engine configuration was not written"
[ -x "$work/trenzor.exe" ] || fail "no test engine in the working folder"
for i in 0 6; do [ -s "$work/test$i.bin" ] || fail "no test$i.bin in the working folder"; done
[ -s "$work/pomoc.chm" ] || fail "no help file in the working folder"
cmp -s "$work/systemy.dtb" "$prefix/share/vykon3d/systemy.dtb" || fail "the shipped database was not copied"

# The user's own files survive a later start and a later installation.
printf 'Můj počítač\r\n 99\r\nkarta\r\npaměť\r\n' | iconv -f UTF-8 -t CP1250 > "$work/systemy.dtb"
printf ' 1 \r\n' > "$work/nastaveni.bnc"
cp "$work/systemy.dtb" "$tmp/own.dtb"
cmake --install "$build" --prefix "$tmp/prefix" > /dev/null
# Without its engine configuration the front end writes a new one at start,
# which shows that this start went all the way through the launcher.
rm "$work/nastaveni.atr"
start_once "$work"
[ -s "$work/nastaveni.atr" ] || fail "the front end did not start again"
cmp -s "$work/systemy.dtb" "$tmp/own.dtb" || fail "the user's systems database was overwritten"
[ "$(cat "$work/nastaveni.bnc")" = "$(printf ' 1 \r')" ] || fail "the user's settings were overwritten"

# XDG_DATA_HOME is honoured.
start_once "$tmp/data/vykon3d" "$tmp/data"
[ -s "$tmp/data/vykon3d/nastaveni.atr" ] || fail "XDG_DATA_HOME was not used"
echo "install test passed"
