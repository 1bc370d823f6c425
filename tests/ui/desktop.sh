#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The executable that ships, on a real X server, dialling into a private sound
# server: its picture and icon are in it, two dialers pressed at the same moment
# send both commands whole one after the other, and a dialer that died while
# dialling does not hold up the next one.
#
#   desktop.sh DTMF_DIALER PICTURE_JPEG     (run under xvfb-run)
set -uo pipefail
exe=$1
picture=$2
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run PULSE_CLIENTCONFIG=$work/run/client.conf XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
unset PULSE_SERVER
server=$(dirname "$0")/../support/soundserver.sh
pids=()
failures=0

cleanup() {
    for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
    bash "$server" stop "$XDG_RUNTIME_DIR"
    rm -rf "$work"
}
trap cleanup EXIT

check() { # check NAME EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then
        echo "PASS: $1"
    else
        echo "FAIL: $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}
check_any() { # check_any NAME ACTUAL EXPECTED...: ACTUAL is one of the EXPECTED
    local name=$1 actual=$2 expected
    shift 2
    for expected in "$@"; do
        if [ "$actual" = "$expected" ]; then
            echo "PASS: $name"
            return
        fi
    done
    echo "FAIL: $name: expected one of$(printf " '%s'" "$@"), got '$actual'"
    failures=$((failures + 1))
}

# The window's picture is compiled into the executable.
bytes=$(od -An -tx1 -j 100 -N 24 "$picture" | tr -d ' \n' | sed 's/../\\x&/g')
LC_ALL=C grep -qaP "$bytes" "$exe" && embedded=yes || embedded=no
check "picture in the executable" yes "$embedded"

bash "$server" start pulseaudio "$XDG_RUNTIME_DIR" $$ || exit 1

window_of() { # window_of PID
    timeout 20 xdotool search --sync --all --onlyvisible --pid "$1" --name KESTREL | head -n 1
}
record() { # record SECONDS COMMAND...: what the sink heard meanwhile
    bash "$server" record "$XDG_RUNTIME_DIR" "$work/rec.wav" || return
    "${@:2}" >/dev/null 2>&1
    sleep "$1"
    bash "$server" stop-recording "$XDG_RUNTIME_DIR"
    bash "$server" decode "$work/rec.wav"
}

"$exe" >/dev/null 2>&1 &
pid_a=$!
"$exe" >/dev/null 2>&1 &
pid_b=$!
pids+=("$pid_a" "$pid_b")
a=$(window_of "$pid_a")
b=$(window_of "$pid_b")
if [ -z "$a" ] || [ -z "$b" ]; then
    echo "FAIL: the dialers' windows did not appear"
    exit 1
fi
xprop -id "$a" _NET_WM_ICON | grep -q 'CARDINAL' && icon=yes || icon=no
check "the window has its icon" yes "$icon"

# Focus on "**31##" in one window and on "**33##" in the other, then Space in
# both, a few milliseconds apart.
xdotool windowfocus "$a" key Tab
xdotool windowfocus "$b" key Tab Tab Tab Tab
sleep 0.3
heard=$(record 3.5 xdotool windowfocus "$a" key space windowfocus "$b" key space)
# Either dialer may take the lock first; the other's command follows, whole.
check_any "two dialers pressed together" "$heard" "**31##**33##" "**33##**31##"

# A dialer killed in the middle of a dial leaves its lock behind.
kill_a() {
    xdotool windowfocus "$a" key space
    sleep 0.5
    kill -9 "$pid_a"
}
kill_a
heard=$(record 2.5 xdotool windowfocus "$b" key space)
check "a dead dialer's lock holds nothing up" "**33##" "$heard"

[ "$failures" -eq 0 ] && echo "$0: all passed" || exit 1
