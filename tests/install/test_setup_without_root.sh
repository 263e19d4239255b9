#!/usr/bin/env bash
# scripts/setup.sh run by a user who is not root, with a package missing:
# without sudo, and with a sudo that refuses, it ends with exit status 1 and
# a message naming the missing package and the command to install it as
# root, and it neither builds nor calls apt-get. Needs root to become the
# unprivileged user; skipped (exit 77) otherwise.
# Usage: test_setup_without_root.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: needs root to run setup.sh as the user nobody"
    exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
chmod 755 "$tmp"

# A copy of the script, so that the user nobody can read it whatever the
# checkout's permissions, and a bin folder with only the tools it needs:
# no sudo, and an apt-get that records being called.
mkdir -p "$tmp/checkout/scripts" "$tmp/bin"
cp "$source_dir/scripts/setup.sh" "$tmp/checkout/scripts/"
for tool in bash env dirname dpkg-query grep id cat; do
    ln -s "$(command -v "$tool")" "$tmp/bin/$tool"
done
cat > "$tmp/bin/apt-get" <<'SCRIPT'
#!/bin/bash
echo "apt-get $*" >> "$(dirname "$0")/../called"
exit 100
SCRIPT
cat > "$tmp/bin/cmake" <<'SCRIPT'
#!/bin/bash
echo "cmake $*" >> "$(dirname "$0")/../called"
SCRIPT
chmod -R a+rX "$tmp"
chmod a+x "$tmp/bin/apt-get" "$tmp/bin/cmake"
chmod 777 "$tmp"
missing=vykon3d-no-such-package

run_as_nobody() {
    local status=0
    runuser -u nobody -- env -i PATH="$tmp/bin" HOME=/nonexistent \
        bash "$tmp/checkout/scripts/setup.sh" "$missing" < /dev/null > "$tmp/out" 2>&1 || status=$?
    echo "$status"
}
check_message() {
    local what=$1
    grep -q "missing: .*$missing" "$tmp/out" || fail "$what: the missing package is not named: $(cat "$tmp/out")"
    grep -q "apt-get install .*$missing" "$tmp/out" || fail "$what: no command to install it: $(cat "$tmp/out")"
    grep -q "as root" "$tmp/out" || fail "$what: does not say to run it as root: $(cat "$tmp/out")"
    grep -q "command not found" "$tmp/out" && fail "$what: a command was not found: $(cat "$tmp/out")"
    [ ! -e "$tmp/called" ] || fail "$what: went on to run $(cat "$tmp/called")"
}

status=$(run_as_nobody)
[ "$status" -eq 1 ] || fail "without sudo: exit status $status, not 1: $(cat "$tmp/out")"
check_message "without sudo"
grep -q "sudo is not installed" "$tmp/out" || fail "without sudo: the reason is not given: $(cat "$tmp/out")"

# A sudo that refuses this user, as it does one not in the sudoers file.
cat > "$tmp/bin/sudo" <<'SCRIPT'
#!/bin/bash
echo "sudo: a password is required" >&2
exit 1
SCRIPT
chmod a+rx "$tmp/bin/sudo"
status=$(run_as_nobody)
[ "$status" -eq 1 ] || fail "with a refusing sudo: exit status $status, not 1: $(cat "$tmp/out")"
check_message "with a refusing sudo"
grep -q "sudo did not let nobody install them" "$tmp/out" \
    || fail "with a refusing sudo: the reason is not given: $(cat "$tmp/out")"
echo "PASS"
