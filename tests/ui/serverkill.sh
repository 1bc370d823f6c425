#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The executable that ships, on a real X server, dialling 30 symbols into a
# private sound server that is killed at a random moment: an "Error playing
# DTMF tone" box comes for each symbol whose tone did not sound whole, and for
# no other, so boxes and whole tones heard add up to 30.
#
#   serverkill.sh DTMF_DIALER pulseaudio|pipewire KILLS     (run under xvfb-run)
exe=$1
kind=$2
kills=$3
command=1234567890ABCD*#1234567890ABCD
# The tone a kill cut is told within the server's cycle (soundserver.sh): 5 ms,
# not 21 ms.
export SOUNDSERVER_CYCLES=short
. "$(dirname "$0")/../support/windowdial.sh"

start_dialer QT_LOGGING_RULES=dialer.sound.debug=true
for run in $(seq "$kills"); do
    at=$(awk -v r=$RANDOM 'BEGIN { printf "%.3f", 0.3 + 5.6 * r / 32767 }')
    bash "$server" record "$runtime" "$work/rec.wav" || exit 1
    xdotool windowfocus "$window" key space
    sleep "$at"
    # The server as a whole, as a crash would end it.
    for pid in $(cat "$runtime/pids"); do
        case $(cat "/proc/$pid/comm" 2>/dev/null) in
        pulseaudio | pipewire | pipewire-pulse | wireplumber) kill -KILL "$pid" ;;
        esac
    done
    # Each box is answered, and the next awaited; none for 3 s ends the dial.
    boxes=0 quiet=0
    while [ "$quiet" -lt 60 ]; do
        box=$(xdotool search --all --onlyvisible --pid "$dialer" --name '^Error$' 2>/dev/null | head -n 1)
        if [ -z "$box" ]; then
            quiet=$((quiet + 1))
            sleep 0.05
            continue
        fi
        boxes=$((boxes + 1)) quiet=0
        xdotool windowfocus --sync "$box" key Return 2>/dev/null
        for _ in $(seq 100); do
            [ "$(xdotool search --all --onlyvisible --pid "$dialer" --name '^Error$' 2>/dev/null | head -n 1)" = "$box" ] || break
            sleep 0.02
        done
    done
    bash "$server" stop-recording "$runtime"
    reported=$(grep -c "not sent:" "$work/dialer.log")
    grep "device failed" "$work/dialer.log"; : >"$work/dialer.log"
    heard=$(bash "$server" heard "$work/rec.wav")
    # Whole tones are those heard for 90 ms or more: a tone the kill cut short
    # did not sound whole, though the decoder may have taken its piece. Where
    # the server died is known to the dialer only within the device's report
    # step, so a tone whose sound the kill met within 20 ms of its end (the
    # recording ends less than 20 ms after the last sound, which lasted 75 ms
    # or more) may count either way; every other tone counts exactly.
    bash "$server" sounds "$work/rec.wav" "$work"
    parts=("$work"/part*.wav)
    last=${parts[-1]}
    sox "$last" "$work/sound.wav" reverse silence 1 0.001 2% reverse 2>/dev/null
    edge=$(awk -v all="$(soxi -D "$last")" -v sound="$(soxi -D "$work/sound.wav" 2>/dev/null || echo 0)" \
        'BEGIN { print (sound >= 0.075 && all - sound < 0.02) ? 1 : 0 }')
    whole=$(for p in "${parts[@]}"; do soxi -D "$p"; done | awk '$1 >= 0.09 { n++ } END { print n + 0 }')
    sum=$((boxes + whole))
    ok=no
    if [ "${command#"$heard"}" != "$command" ]; then
        [ $sum = ${#command} ] && ok=yes
        # The tone at the edge counted heard by one side and lost by the other.
        [ "$edge" = 1 ] && [ $((sum - ${#command})) -ge -1 ] && [ $((sum - ${#command})) -le 1 ] && ok=yes
    fi
    check "kill at $at s: boxes and whole tones heard add up to ${#command}" "$ok" \
        "heard '$heard', $whole whole, edge $edge; $boxes boxes, $reported failures logged"
    bash "$server" stop "$runtime"
    bash "$server" start "$kind" "$runtime" $$ || exit 1
done
finish
