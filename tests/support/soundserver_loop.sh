#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the tests' sound server again and again, each time in a fresh runtime
# folder as the C++ tests do, and checks what the tests rely on: the sink
# uplink is listed and is the default, one second of its monitor records, and
# stop ends every process. Nothing may be printed on stderr.
#
#   soundserver_loop.sh pulseaudio|pipewire RUNS
#
# The script's own noise about processes that ended shows only where ended
# processes are reaped at once (as under systemd); a container's init that
# reaps nothing leaves them as zombies, and their /proc entries stay.
set -uo pipefail
kind=$1
runs=$2
server=$(cd "$(dirname "$0")" && pwd)/soundserver.sh
alive() { # pid: the process exists and is not a zombie
    local stat
    { read -r stat <"/proc/$1/stat"; } 2>/dev/null || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}
one_run() { # runtime folder: prints each fault on fd 3
    export XDG_RUNTIME_DIR=$1 PULSE_CLIENTCONFIG=$1/client.conf
    unset PULSE_SERVER
    bash "$server" start "$kind" "$1" $$ || { echo "start failed" >&3; return; }
    local pids sink bytes pid
    pids=$(cat "$1/pids")
    sink=$(pactl get-default-sink)
    [ "$sink" = uplink ] || echo "the default sink is '$sink'" >&3
    pactl list short sinks | awk '{ print $2 }' | grep -qx uplink || echo "no sink uplink listed" >&3
    if bash "$server" record "$1" "$1/rec.wav"; then
        sleep 1
        bash "$server" stop-recording "$1"
        bytes=$(stat -c %s "$1/rec.wav")
        [ "$bytes" -gt 44 ] || echo "the recording holds no samples" >&3
        echo "recorded $bytes bytes" >&4
    else
        echo "record failed" >&3
    fi
    bash "$server" stop "$1"
    for pid in $pids; do
        ! alive "$pid" || echo "process $pid still runs after stop" >&3
    done
}
failed=0
noisy=0
for i in $(seq "$runs"); do
    rt=$(mktemp -d)
    log=$(mktemp -d)
    (one_run "$rt") 3>"$log/faults" 4>"$log/info" 2>"$log/stderr" >/dev/null
    if [ -s "$log/faults" ]; then
        failed=$((failed + 1))
        sed "s/^/run $i: /" "$log/faults"
    fi
    if [ -s "$log/stderr" ]; then
        noisy=$((noisy + 1))
        echo "run $i printed on stderr:"
        sed 's/^/    /' "$log/stderr"
    fi
    [ -z "${VERBOSE:-}" ] || sed "s/^/run $i: /" "$log/info"
    rm -rf "$rt" "$log"
done
echo "$kind: $runs runs, $failed failed, $noisy printed on stderr"
[ "$failed" -eq 0 ] && [ "$noisy" -eq 0 ]
