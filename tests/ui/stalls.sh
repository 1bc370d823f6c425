#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The executable that ships, on a real X server, dialling into a private sound
# server, stopped (SIGSTOP) and continued: for 0.2 s and 1 s the sound goes on
# without a break, and for 3 s, longer than the device's queue, the device
# pauses between two tones. Every symbol is heard exactly once, no tone is cut
# in two, and no error box comes. Each stop comes at four moments 50 ms apart,
# so that one of them finds the dialer handing over a tone, whatever the
# queue's length.
#
#   stalls.sh DTMF_DIALER pulseaudio|pipewire     (run under xvfb-run)
exe=$1
kind=$2
command=1234567890AB
. "$(dirname "$0")/../support/windowdial.sh"

start_dialer
stall() { # stall AT SECONDS: press, and stop the dialer AT seconds in
    xdotool windowfocus "$window" key space
    sleep "$1"
    kill -STOP "$dialer"
    sleep "$2"
    kill -CONT "$dialer"
}
for seconds in 0.2 1 3; do
    for at in 1.00 1.05 1.10 1.15; do
        record "$(echo "$seconds + 2" | bc)" stall "$at" "$seconds"
        boxes=$(xdotool search --all --onlyvisible --pid "$dialer" --name '^Error$' | wc -l)
        check "stopped for $seconds s at $at s: each symbol heard once" \
            "$(yes_if [ "$heard" = "$command" ])" "heard '$heard'; sounds of ${sounds}ms"
        check "stopped for $seconds s at $at s: no tone cut" "$(yes_if [ "$cut" = 0 ])" "$cut cut"
        check "stopped for $seconds s at $at s: no error box" "$(yes_if [ "$boxes" = 0 ])" \
            "$boxes boxes"
        # A box left open would hold the next dial.
        for box in $(xdotool search --all --onlyvisible --pid "$dialer" --name '^Error$'); do
            xdotool windowfocus --sync "$box" key Return
        done
    done
done
finish
