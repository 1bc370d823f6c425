#!/usr/bin/env bash
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
. "$(dirname "$0")/../support/windowdial.sh"

start_dialer
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
    : >"$work/dialer.log"
    heard=$(bash "$server" decode "$work/rec.wav")
    # Whole tones are those heard for 90 ms or more: a tone the kill cut short
    # did not sound whole, though the decoder may have taken its piece.
    rm -f "$work"/part*.wav
    sox "$work/rec.wav" "$work/part.wav" silence 1 0.002 2% 1 0.02 2% : newfile : restart 2>/dev/null
    whole=$(for p in "$work"/part*.wav; do soxi -D "$p"; done | awk '$1 >= 0.09 { n++ } END { print n + 0 }')
    ok=no
    [ "${command#"$heard"}" != "$command" ] && [ $((boxes + whole)) = ${#command} ] && ok=yes
    check "kill at $at s: boxes and whole tones heard add up to ${#command}" "$ok" \
        "heard '$heard', $whole whole; $boxes boxes, $reported failures logged"
    bash "$server" stop "$runtime"
    bash "$server" start "$kind" "$runtime" $$ || exit 1
done
finish
