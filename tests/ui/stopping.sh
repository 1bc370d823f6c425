#!/usr/bin/env bash
# The executable that ships, on a real X server, dialling into a private sound
# server: Escape and SIGTERM in the middle of a dial stop it at a silence
# between tones (what was heard is whole tones of the start of the command) and
# leave the dial lock free at once; with no usable runtime folder the dialers
# still dial one at a time, through the lock of their own folder.
#
#   stopping.sh DTMF_DIALER     (run under xvfb-run)
set -uo pipefail
exe=$1
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run PULSE_CLIENTCONFIG=$work/run/client.conf TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
unset PULSE_SERVER
server=$(dirname "$0")/../support/soundserver.sh
pids=()
failures=0
command=1234567890

cleanup() {
    for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
    bash "$server" stop "$XDG_RUNTIME_DIR"
    rm -rf "$work"
}
trap cleanup EXIT

check() { # check NAME OK DETAIL: OK is "yes" when the check holds
    if [ "$2" = yes ]; then
        echo "PASS: $1 ($3)"
    else
        echo "FAIL: $1 ($3)"
        failures=$((failures + 1))
    fi
}

bash "$server" start pulseaudio "$XDG_RUNTIME_DIR" $$ || exit 1
runtime=$XDG_RUNTIME_DIR

start_dialer() { # start_dialer [ENV...]: a dialer whose focus is on the free-text box's button, holding $command
    env "$@" "$exe" >>"$work/dialer.log" 2>&1 &
    pids+=($!)
    dialer=$!
    window=$(timeout 20 xdotool search --sync --all --onlyvisible --pid "$dialer" --name KESTREL | head -n 1)
    sleep 0.3
    # 38 tabs reach the free-text box, one more its send button.
    xdotool windowfocus --sync "$window" key --delay 2 $(printf 'Tab %.0s' $(seq 38))
    xdotool windowfocus --sync "$window" type --delay 2 "$command"
    xdotool windowfocus --sync "$window" key Tab
}
# What the sink heard while COMMAND... ran and SECONDS passed, and how many of
# the tones heard are shorter than 90 ms (cut).
record() { # record SECONDS COMMAND...
    bash "$server" record "$runtime" "$work/rec.wav" || return
    "${@:2}" >/dev/null 2>&1
    sleep "$1"
    bash "$server" stop-recording "$runtime"
    heard=$(bash "$server" decode "$work/rec.wav")
    rm -f "$work"/part*.wav
    sox "$work/rec.wav" "$work/part.wav" silence 1 0.002 2% 1 0.02 2% : newfile : restart 2>/dev/null
    cut=0
    for part in "$work"/part*.wav; do
        ms=$(soxi -D "$part" | awk '{printf "%d", $1 * 1000}')
        [ "$ms" -gt 0 ] && [ "$ms" -lt 90 ] && cut=$((cut + 1))
    done
}
prefix() { # prefix TEXT: a start of $command, at least two symbols, not all of it
    [ ${#1} -ge 2 ] && [ ${#1} -lt ${#command} ] && [ "${command#"$1"}" != "$command" ] && echo yes || echo no
}

# Escape one second in: the tones heard so far, whole, and a message.
start_dialer
first=$dialer
record 2.5 xdotool windowfocus "$window" key space sleep 1 key Escape
check "Escape stops at a silence" "$(prefix "$heard")" "heard '$heard'"
check "no tone cut by Escape" "$([ "$cut" = 0 ] && echo yes || echo no)" "$cut cut"
box=$(xdotool search --name "Dialling stopped" | head -n 1)
check "Escape's message" "$([ -n "$box" ] && echo yes || echo no)" "window '$box'"

# SIGTERM one second in, while a second dialer waits for its turn: the first
# ends, its tones whole, and the second goes on at once.
start_dialer
term=$dialer
second_window=$window
start_dialer
waiting=$window
both() {
    xdotool windowfocus "$second_window" key space
    sleep 0.05
    xdotool windowfocus "$waiting" key space
    sleep 1
    kill -TERM "$term"
}
record 4 both
check "SIGTERM stops at a silence, then the waiting dial" \
    "$([ "${heard%"$command"}" != "$heard" ] && prefix "${heard%"$command"}")" "heard '$heard'"
check "no tone cut by SIGTERM" "$([ "$cut" = 0 ] && echo yes || echo no)" "$cut cut"
gone=no
for _ in $(seq 50); do # ended: gone, or a zombie until this script reaps it
    state=$({ read -r _ rest <"/proc/$term/stat" && set -- ${rest##*)} && echo "$1"; } 2>/dev/null)
    [ -z "$state" ] || [ "$state" = Z ] && { gone=yes; break; }
    sleep 0.1
done
check "SIGTERM ends the program" "$gone" "pid $term"
kill -9 "${pids[@]}" 2>/dev/null
pids=()

# No usable runtime folder (no lock file can be made in /proc): two dialers
# pressed together still dial one after the other.
export PULSE_SERVER=unix:$runtime/pulse/native
start_dialer XDG_RUNTIME_DIR=/proc
a=$window
start_dialer XDG_RUNTIME_DIR=/proc
b=$window
record 5 xdotool windowfocus "$a" key space windowfocus "$b" key space
check "one dial at a time without a runtime folder" \
    "$([ "$heard" = "$command$command" ] && echo yes || echo no)" "heard '$heard'"

[ "$failures" -eq 0 ] && echo "$0: all passed" || { cat "$work/dialer.log" | grep -v -E '^(ALSA|Cannot connect|jack|Jack)' | tail -20; exit 1; }
