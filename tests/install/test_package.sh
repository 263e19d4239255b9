#!/usr/bin/env bash
# Builds the Debian packages, checks what they hold and what they depend on,
# has Debian's package checker lintian and the desktop entry and AppStream
# validators judge them, checks that their programs are hardened and
# stripped, then unpacks them: starts the program through its launcher, as
# the installed package would start, and the results service with the
# command line of its systemd unit, which systemd-analyze verifies.
# Usage: test_package.sh BUILD_DIR [HARDENED]
# HARDENED is 0 for a build without Debian's hardening flags (the sanitizer
# build), whose package is checked for everything else.
set -euo pipefail
build=$1
hardened=${2:-1}
checkout=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

for tool in lintian desktop-file-validate appstreamcli systemd-analyze curl; do
    command -v "$tool" > /dev/null || fail "$tool is not installed (scripts/setup.sh installs it)"
done

(cd "$build" && cpack -G DEB -B "$tmp/out" > "$tmp/cpack.log") || { cat "$tmp/cpack.log"; fail "cpack failed"; }
deb=$(ls "$tmp"/out/vykon3d_*.deb)
server_deb=$(ls "$tmp"/out/vykon3d-server_*.deb)
[ "$(ls "$tmp"/out/*.deb | wc -l)" = 2 ] || fail "cpack built other packages: $(ls "$tmp"/out)"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqt6opengl6 qt6-qpa-plugins libgl1-mesa-dri; do
    grep -q "$need" <<< "$depends" || fail "the package does not depend on $need: $depends"
done
dpkg-deb -x "$deb" "$tmp/root"
for f in usr/bin/vykon3d usr/libexec/vykon3d/vykon3d usr/libexec/vykon3d/trenzor.exe usr/share/vykon3d/test6.bin \
         usr/share/vykon3d/browser0.bin usr/share/vykon3d/pomoc.chm usr/share/vykon3d/systemy.dtb \
         usr/share/applications/vykon3d.desktop usr/share/icons/hicolor/scalable/apps/vykon3d.svg \
         usr/share/metainfo/org.example.vykon3d.metainfo.xml usr/share/man/man1/vykon3d.1.gz \
         usr/share/man/man6/trenzor.6.gz usr/share/doc/vykon3d/copyright usr/share/doc/vykon3d/changelog.gz; do
    [ -e "$tmp/root/$f" ] || fail "$f missing from the package"
done
dpkg-deb -x "$server_deb" "$tmp/server"
for f in usr/sbin/vykon3d-server usr/share/man/man8/vykon3d-server.8.gz lib/systemd/system/vykon3d-server.service \
         usr/share/doc/vykon3d-server/copyright usr/share/doc/vykon3d-server/changelog.gz \
         usr/share/doc/vykon3d-server/results-service.md; do
    [ -e "$tmp/server/$f" ] || fail "$f missing from vykon3d-server"
done
# Each package holds only its own files.
if dpkg-deb -c "$deb" | grep -q 'vykon3d-server'; then
    fail "vykon3d holds the results service's files"
fi
server_depends=$(dpkg-deb -f "$server_deb" Depends)
for need in libqt6sql6 libqt6sql6-sqlite; do
    grep -Eq "(^|, )$need( |,|$)" <<< "$server_depends" || fail "vykon3d-server does not depend on $need: $server_depends"
done

# The licence: the full GPL-3 text at the root, and the package's copyright
# file naming it in Debian's machine-readable format.
cmp -s "$checkout/LICENSE" /usr/share/common-licenses/GPL-3 || fail "LICENSE is not the text of the GPL version 3"
copyright="$tmp/root/usr/share/doc/vykon3d/copyright"
head -n 1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || fail "the copyright file is not in the machine-readable format"
grep -qx 'License: GPL-3+' "$copyright" || fail "the copyright file does not name the GPL-3+"

# The changelog's latest entry is this version.
zcat "$tmp/root/usr/share/doc/vykon3d/changelog.gz" > "$tmp/changelog"
[ "$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)" = "$(dpkg-deb -f "$deb" Version)" ] \
    || fail "the changelog's latest version is not the package's $(dpkg-deb -f "$deb" Version)"

# Debian's own checker: any error, and any warning not overridden, fails.
# Every override states its reason in the comment line above it.
for package in vykon3d vykon3d-server; do
    unpacked=$tmp/root
    file=$deb
    if [ "$package" = vykon3d-server ]; then
        unpacked=$tmp/server
        file=$server_deb
    fi
    overrides="$unpacked/usr/share/lintian/overrides/$package"
    if [ -e "$overrides" ]; then
        awk '/^[^#[:space:]]/ && previous !~ /^#/ { print; bad = 1 } { previous = $0 } END { exit bad }' \
            "$overrides" > "$tmp/unexplained" || fail "lintian overrides without a reason: $(cat "$tmp/unexplained")"
    fi
    lintian -I --fail-on error,warning "$file" > "$tmp/lintian-$package.log" 2>&1 \
        || { cat "$tmp/lintian-$package.log"; fail "lintian rejects $package"; }
    if grep -q '^[EW]: ' "$tmp/lintian-$package.log"; then
        cat "$tmp/lintian-$package.log"
        fail "lintian reports errors or warnings on $package"
    fi
done
cat "$tmp"/lintian-*.log > "$tmp/lintian.log"
# Built with Debian's hardening flags and stripped as Debian strips: of
# lintian's remarks, these must not come back.
remarks='binary-has-unneeded-section'
if [ "$hardened" = 1 ]; then
    remarks="hardening-no-|$remarks"
fi
if grep -E "$remarks" "$tmp/lintian.log"; then
    fail "lintian finds a program built without hardening or with unneeded sections"
fi
# The same, read from the programs themselves: a stack protector,
# relocations read-only and bound at start, no .comment; and the engine's
# fortified calls (the front end has nothing to fortify: see the overrides).
# (readelf's output is kept first: grep -q would end the pipe early.)
if [ "$hardened" = 1 ]; then
    symbols=$(readelf -W --dyn-syms "$tmp/root/usr/libexec/vykon3d/trenzor.exe")
    grep -q '__[a-z0-9_]*printf_chk@' <<< "$symbols" || fail "trenzor.exe calls no fortified function"
fi
for program in root/usr/libexec/vykon3d/vykon3d root/usr/libexec/vykon3d/trenzor.exe server/usr/sbin/vykon3d-server; do
    elf="$tmp/$program"
    if [ "$hardened" = 1 ]; then
        grep -q '__stack_chk_fail@' <<< "$(readelf -W --dyn-syms "$elf")" || fail "$program has no stack protector"
        grep -q 'GNU_RELRO' <<< "$(readelf -W -l "$elf")" || fail "$program has no read-only relocations (relro)"
        grep -Eq 'BIND_NOW|FLAGS_1.*NOW' <<< "$(readelf -W -d "$elf")" || fail "$program is not bound at start (bind-now)"
    fi
    if grep -qF ' .comment ' <<< "$(readelf -W -S "$elf")"; then
        fail "$program keeps its .comment section"
    fi
done

# The desktop entry and the software-centre metadata, alone and together: the
# metadata must name the desktop entry the package installs. Even hints and
# remarks of the validators count as failures.
if ! desktop-file-validate "$tmp/root/usr/share/applications/vykon3d.desktop" > "$tmp/desktop.log" 2>&1 \
    || [ -s "$tmp/desktop.log" ]; then
    cat "$tmp/desktop.log"
    fail "desktop-file-validate rejects the desktop entry"
fi
metainfo="$tmp/root/usr/share/metainfo/org.example.vykon3d.metainfo.xml"
for check in validate validate-tree; do
    target=$metainfo
    [ "$check" = validate-tree ] && target=$tmp/root
    if ! appstreamcli "$check" --no-net "$target" > "$tmp/appstream.log" 2>&1 \
        || grep -q '^ *[IWEP]: ' "$tmp/appstream.log"; then
        cat "$tmp/appstream.log"
        fail "appstreamcli $check rejects the metadata"
    fi
done
# What a software centre shows beyond what the validators demand.
for element in '<name xml:lang="cs">' '<summary xml:lang="cs">' '<content_rating type="oars-1.1"' \
               '<screenshot type="default">' '<launchable type="desktop-id">vykon3d.desktop</launchable>'; do
    grep -qF "$element" "$metainfo" || fail "the AppStream metadata has no $element"
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

# The results service's unit as systemd reads it, naming the unpacked program.
unit="$tmp/server/lib/systemd/system/vykon3d-server.service"
sed "s|/usr/sbin/|$tmp/server/usr/sbin/|" "$unit" > "$tmp/vykon3d-server.service"
systemd-analyze verify --man=no "$tmp/vykon3d-server.service" > "$tmp/verify.log" 2>&1 \
    || { cat "$tmp/verify.log"; fail "systemd-analyze rejects vykon3d-server.service"; }
# No systemd runs here: the unit's command line, its default values put in,
# is started by hand as a user without privileges on a folder that stands
# for its state folder, and must answer and end with 0 on SIGTERM.
state="$tmp/state"
mkdir -p "$state"
as_user=()
if [ "$(id -u)" = 0 ]; then
    chmod 755 "$tmp"
    chown nobody "$state"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
command=$(sed -n 's/^ExecStart=//p' "$unit")
for name in LISTEN DATABASE OPTIONS; do
    value=$(sed -n "s/^Environment=$name=//p" "$unit")
    [ "$name" = DATABASE ] || [ "$name" = OPTIONS ] || value=127.0.0.1:$port
    command=${command//\$\{$name\}/$value}
    command=${command//\$$name/$value}
done
[ "$command" = "/usr/sbin/vykon3d-server --listen 127.0.0.1:$port --database sqlite:/var/lib/vykon3d-server/runs.sqlite " ] \
    || fail "the unit starts something else: $command"
command=${command/\/usr\/sbin/$tmp/server/usr/sbin}
command=${command/\/var\/lib\/vykon3d-server/$state}
"${as_user[@]}" $command > "$tmp/service.log" 2>&1 &
service=$!
for _ in $(seq 1 100); do
    grep -q naslouchá "$tmp/service.log" && break
    sleep 0.1
done
answer=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/api/v1/ranking" || true)
kill -TERM "$service" 2> /dev/null || true
status=0
wait "$service" || status=$?
[ "$answer" = 200 ] || { cat "$tmp/service.log"; fail "the unit's command line gives no service: $answer"; }
[ "$status" = 0 ] || { cat "$tmp/service.log"; fail "the service ended with $status after SIGTERM"; }
[ -s "$state/runs.sqlite" ] || fail "the service kept no database in its state folder"
echo "package test passed"
