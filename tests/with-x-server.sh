#!/usr/bin/env bash
# Runs a command on an X server of its own, as the tests that need a real X
# display do. Xvfb picks a free display itself (-displayfd), so tests started
# side by side never race for one number, and it is never reset when its last
# client leaves (-noreset): under load a reset refuses the next client's
# connection for a moment, which the engine rightly takes as no display.
# Clients prove themselves with a cookie, as on a desktop, so that a test may
# hand it on to a process of another user.
set -uo pipefail
tmp=$(mktemp -d)
server=
command=
cleanup() {
    [ -n "$command" ] && kill "$command" 2>/dev/null
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
# A test stopped from outside (CTest's timeout) leaves no server behind.
trap 'exit 143' TERM INT
mkfifo "$tmp/display"
cookie=$(mcookie)
# The server takes every cookie its file holds, whatever display it names.
: >"$tmp/server.auth"
: >"$tmp/Xauthority"
xauth -q -f "$tmp/server.auth" add :0 . "$cookie"
Xvfb -displayfd 3 -noreset -nolisten tcp -auth "$tmp/server.auth" -screen 0 1024x768x24 \
    3>"$tmp/display" 2>"$tmp/server.log" &
server=$!
if ! read -r -t 60 number <"$tmp/display" || [ -z "$number" ]; then
    echo "with-x-server: Xvfb did not start:" >&2
    cat "$tmp/server.log" >&2
    exit 1
fi
export DISPLAY=":$number"
export XAUTHORITY="$tmp/Xauthority"
xauth -q add "$DISPLAY" . "$cookie"
"$@" &
command=$!
wait "$command"
status=$?
command=
exit "$status"
