#!/usr/bin/env bash
# The executable that ships, on a real X server, dialling into a private sound
# server, stopped (SIGSTOP) in the middle of a tone and continued: for 0.2 s and
# 1 s the sound goes on without a break, and for 3 s, longer than the device's
# queue, the device pauses between two tones. Every symbol is heard exactly
# once, no tone is cut in two, and no error box comes.
#
#   stalls.sh DTMF_DIALER pulseaudio|pipewire     (run under xvfb-run)
exe=$1
kind=$2
command=1234567890ABCD*#5678
. "$(dirname "$0")/../support/windowdial.sh"

start_dialer
stall() { # stall SECONDS: press, and stop the dialer 1.05 s in (in the sixth tone)
    xdotool windowfocus "$window" key space
    sleep 1.05
    kill -STOP "$dialer"
    sleep "$1"
    kill -CONT "$dialer"
}
for seconds in 0.2 1 3; do
    record 4 stall "$seconds"
    boxes=$(xdotool search --all --onlyvisible --pid "$dialer" --name '^Error$' | wc -l)
    check "stopped for $seconds s: each symbol heard once" "$(yes_if [ "$heard" = "$command" ])" \
        "heard '$heard'"
    check "stopped for $seconds s: no tone cut" "$(yes_if [ "$cut" = 0 ])" "$cut cut"
    check "stopped for $seconds s: no error box" "$(yes_if [ "$boxes" = 0 ])" "$boxes boxes"
done
finish
