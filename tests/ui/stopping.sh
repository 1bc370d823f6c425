#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The executable that ships, on a real X server, dialling into a private sound
# server: Escape and SIGTERM in the middle of a dial stop it at a silence
# between tones (what was heard is whole tones of the start of the command) and
# leave the dial lock free at once; with no usable runtime folder the dialers
# still dial one at a time, through the lock of their own folder.
#
#   stopping.sh DTMF_DIALER     (run under xvfb-run)
exe=$1
command=1234567890
kind=pulseaudio
. "$(dirname "$0")/../support/windowdial.sh"

prefix() { # prefix TEXT: a start of $command, at least two symbols, not all of it
    [ ${#1} -ge 2 ] && [ ${#1} -lt ${#command} ] && [ "${command#"$1"}" != "$command" ] && echo yes || echo no
}

# Escape one second in: the tones heard so far, whole, and a message.
start_dialer
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

# No runtime folder named, and the last resort belongs to another user (as
# root; for anyone else it cannot be made in /): the two dial whole one after
# the other through /run/user/UID where that is usable, or each says why and
# nothing sounds; never both at once.
other=/
if [ "$(id -u)" = 0 ]; then
    other=$work/other
    mkdir -p -m 700 "$other/dtmf-dialer-0"
    chown nobody "$other/dtmf-dialer-0"
fi
start_dialer -u XDG_RUNTIME_DIR TMPDIR="$other"
a=$window
first_pid=$dialer
start_dialer -u XDG_RUNTIME_DIR TMPDIR="$other"
b=$window
: >"$work/dialer.log"
press_both() {
    xdotool windowfocus --sync "$a" key space
    # A refusal's box takes the focus when it shows. As root the first dialer
    # refuses, and its box may come after the focus has moved to the second
    # and take that one's press; so the second is pressed once it is there.
    if [ "$(id -u)" = 0 ]; then
        x_again timeout 5 xdotool search --sync --all --onlyvisible --pid "$first_pid" --name '^Nothing sent$' >/dev/null
    else
        sleep 0.05
    fi
    xdotool windowfocus --sync "$b" key space
}
record 5 press_both
refusals=$(grep -c "nothing sent:" "$work/dialer.log")
check "one dial at a time, or none, with the last resort another user's" \
    "$(yes_if grep -qx -e "$command$command/0" -e /2 <<<"$heard/$refusals")" \
    "heard '$heard', $refusals refusals"

finish
