#!/bin/bash
# How long the test engine takes from Esc to its exit, in the middle of a test,
# with and without a frame-rate limit. Run on the display to be measured, e.g.
#   xvfb-run -a -s "-screen 0 1024x768x24" benchmarks/trenzor/esc_latency.sh build/workdir 3
#
# Both moments are taken from the engine's own system calls, traced by strace
# (only the two calls named, so the engine runs at full speed otherwise): the
# key reaches the engine when its X connection receives the key-press event,
# it answers the key when it writes its "přerušeno" line on standard error,
# and it is gone at exit_group. Sending the key (xdotool starting, connecting,
# syncing) takes 50 to 150 ms and plays no part. Between the key's arrival and
# its answer lies the rest of the frame being drawn when the key came; after
# it, closing the window and the process.
set -euo pipefail

workdir=$(realpath "${1:?usage: esc_latency.sh WORKDIR [ROUNDS]}")
rounds=${2:-3}
for tool in xdotool strace; do
    command -v "$tool" >/dev/null || { echo "esc_latency.sh: $tool is missing" >&2; exit 1; }
done
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
cp "$workdir"/trenzor.exe "$workdir"/test*.bin "$workdir"/browser*.bin "$run"/

# Seconds since midnight of a strace -tt time stamp.
seconds() { awk -F: '{ printf "%.6f", $1 * 3600 + $2 * 60 + $3 }' <<<"$1"; }

printf '%-6s %-6s %14s %14s %14s\n' test limit "key->answer" "answer->exit" "key->exit"
for test in 1 5; do
    for limit in 5 0; do
        for ((round = 0; round < rounds; ++round)); do
            {
                printf '*PLAYERCOUNT 1\r\n*PLAYERVIEWPORT 0 0 0 640 480\r\n*PLAYERCONTROLLER 0 -1\r\n'
                printf '*NOTIMER\r\n*NOVSYNC\r\n*FRAMERATELIMIT %s\r\n*RESOLUTION 640 480 16\r\n' "$limit"
                printf '*DEPTHBITS 16\r\n*DONTSHOWINTRO\r\n*SCENELIST 0 "browser%s.bin"\r\n' "$test"
                printf '*SCENELIST 0 "test%s.bin"\r\n' "$test"
            } >"$run/nastaveni.atr"
            (cd "$run" && exec strace -f --seccomp-bpf -tt -e trace=recvmsg,write,exit_group -s 4 -o trace \
                ./trenzor.exe 0 >/dev/null 2>&1) &
            engine=$!
            window=$(xdotool search --sync --onlyvisible --name '^Trenzor$' | head -n 1)
            # Well into the test: past the warm-up, before the path's end.
            sleep 5
            xdotool windowfocus --sync "$window"
            xdotool key Escape
            wait "$engine"
            # A key-press event starts with type 2 and key code 9 (Esc).
            # (The first child's exit_group is a helper that Qt starts.)
            after=$(sed -n '/recvmsg(.*iov_base="\\2\\t/,$p' "$run/trace")
            key=$(head -n 1 <<<"$after" | awk '{ print $2 }')
            answer=$(grep -m 1 'write(2, "tren' <<<"$after" | awk '{ print $2 }')
            gone=$(grep 'exit_group(' <<<"$after" | tail -n 1 | awk '{ print $2 }')
            if [ -z "$key" ] || [ -z "$answer" ] || [ -z "$gone" ]; then
                echo "esc_latency.sh: the trace lacks the key, the answer or the exit" >&2
                exit 1
            fi
            ms() { echo "($(seconds "$2") - $(seconds "$1")) * 1000" | bc -l; }
            printf '%-6s %-6s %11.1f ms %11.1f ms %11.1f ms\n' "$test" "$([ "$limit" = 0 ] && echo none || echo "$limit")" \
                "$(ms "$key" "$answer")" "$(ms "$answer" "$gone")" "$(ms "$key" "$gone")"
        done
    done
done
