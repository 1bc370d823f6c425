#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The executable that ships, on a real X server, keying a transmitter through
# Hamlib (a real rigctld with the dummy rig, reached as rig model 2) while it
# dials into a private sound server; rigctld's trace tells when the PTT changed,
# a second connection polls it, and the sink is recorded, all on one time base
# (tests/support/pttwatch.sh). The PTT is keyed at least the lead (250 ms)
# before the first tone's sound, and released the tail (100 ms) after the last
# tone's sound, each within 50 ms; a command keys once; it is released while a
# tone's error message waits, and keyed again with the lead for the rest; a
# SIGTERM mid-dial leaves it released; a rigctld that is not running gives one
# message and no sound, and the next press once it runs keys and dials.
#
#   ptt.sh DTMF_DIALER pulseaudio|pipewire     (run under xvfb-run)
exe=$1
kind=$2
command=**31##
# The PTT's time base comes from the recorder's fragments (pttwatch.sh), which
# PipeWire delivers once a cycle: the recorder's own 5 ms cycles, not 21 ms.
# With 21 ms cycles the tails read 91-97 ms: the dialer goes by what the server
# has taken, pipewire-pulse takes a tone up to a cycle before the monitor hears
# it and reports no delay for a null sink.
export SOUNDSERVER_CYCLES=short
. "$(dirname "$0")/../support/windowdial.sh"
. "$(dirname "$0")/../support/pttwatch.sh"

within() { # within VALUE FROM TO: FROM <= VALUE <= TO (VALUE "-" is not)
    awk -v v="$1" -v a="$2" -v b="$3" 'BEGIN { exit !(v != "-" && v + 0 >= a && v + 0 <= b) }' &&
        echo yes || echo no
}
# Each keying's lead and tail within 50 ms above what is set.
check_keyings() { # check_keyings WHAT
    local on off lead tail tones
    while read -r on off lead tail tones; do
        check "$1: keyed the lead before the first tone" \
            "$(within "$lead" "$ptt_lead" $((ptt_lead + 50)))" "lead $lead ms"
        check "$1: released the tail after the last tone" \
            "$(within "$tail" "$ptt_tail" $((ptt_tail + 50)))" "tail $tail ms"
    done <<<"$ptt_keyings"
    check "$1: no tone while not keyed" "$(yes_if [ "$ptt_unkeyed" = 0 ])" "$ptt_unkeyed tones"
}
chatter() { # the dialer's lines beyond the audio libraries' probing at start-up
    grep -c -v -E '^(ALSA lib|Cannot connect|jack|Jack)' "$work/dialer.log"
}
press() { xdotool windowfocus "$window" key space; }

# A command without failures: keyed once, the lead before and the tail after
# its tones, and nothing printed.
start_dialer
before=$(chatter)
watched 2.2 press
heard=$(bash "$server" heard "$work/rec.wav")
check "whole command heard" "$(yes_if [ "$heard" = "$command" ])" "heard '$heard'"
check "keyed once" "$([ "$(wc -l <<<"$ptt_keyings")" = 1 ] && [ "$ptt_polled" = 1 ] && echo yes || echo no)" \
    "rigctld: $(wc -l <<<"$ptt_keyings"), polls: $ptt_polled; $ptt_keyings"
check_keyings "a command"
check "released at the end" "$(yes_if [ "$ptt_final" = 0 ])" "PTT $ptt_final"
check "a dial prints nothing" "$(yes_if [ "$(chatter)" = "$before" ])" "$before -> $(chatter) lines"

# A symbol whose tone file is missing, from a copy of the executable beside
# the tone files but 5.wav: released while the message waits (a second), keyed
# again with the lead for the rest.
mkdir "$work/no5"
cp "$exe" "$(dirname "$exe")"/{1,2,3,4,6,7,8,9,10,11,12,13,14,15,16}.wav "$work/no5/"
command=125#
exe=$work/no5/$(basename "$exe") start_dialer
failing() {
    press
    box=$(x_again timeout 10 xdotool search --sync --all --onlyvisible --pid "$dialer" --name '^Error$' | head -n 1)
    echo "$EPOCHREALTIME" >"$work/box-seen"
    sleep 1
    echo "$EPOCHREALTIME" >"$work/box-closed"
    xdotool windowfocus --sync "$box" key Return
}
watched 1.2 failing
heard=$(bash "$server" heard "$work/rec.wav")
check "all but the missing tone heard" "$(yes_if [ "$heard" = 12# ])" "heard '$heard'"
read -r seen <"$work/box-seen"
read -r closed <"$work/box-closed"
keyed_meanwhile=$(awk -v a="$seen" -v b="$closed" '$1 < b && ($2 == "-" || $2 > a)' <<<"$ptt_keyings" | wc -l)
check "off while the message waits" "$(yes_if [ "$keyed_meanwhile" = 0 ])" \
    "box $seen to $closed; keyings: $ptt_keyings"
check "keyed again for the rest" \
    "$(yes_if [ "$(awk '{ printf "%s ", $5 }' <<<"$ptt_keyings")" = "2 1 " ])" \
    "tones per keying: $(awk '{ printf "%s ", $5 }' <<<"$ptt_keyings")"
check_keyings "around the message"

# SIGTERM in the middle of a long command: keyed the lead before the first
# tone, released after the last tone heard (its tail is not checked: the play
# position a stop starts from is up to a report old, and under the sanitizers
# the tail came out 51 to 176 ms).
command=1234567890ABCD
start_dialer
term=$dialer
terminated() {
    press
    sleep 1
    kill -TERM "$term"
    # Ended: gone, or a zombie until this script reaps it.
    while [ "$(awk '{ print $3 }' "/proc/$term/stat" 2>/dev/null || echo Z)" != Z ]; do sleep 0.05; done
}
watched 0.5 terminated
read -r _ _ lead tail _ <<<"$ptt_keyings"
check "released after SIGTERM" "$([ "$ptt_final" = 0 ] && [ "$(wc -l <<<"$ptt_keyings")" = 1 ] && echo yes || echo no)" \
    "PTT $ptt_final; $ptt_keyings"
check "SIGTERM: keyed the lead before the first tone" \
    "$(within "$lead" "$ptt_lead" $((ptt_lead + 50)))" "lead $lead ms"
check "SIGTERM: released after the last tone's sound" "$(within "$tail" 0 1000)" "tail $tail ms"
check "SIGTERM: no tone while not keyed" "$(yes_if [ "$ptt_unkeyed" = 0 ])" "$ptt_unkeyed tones"

# No rigctld: one message, no sound; started again, the next press keys.
command=**31##
kill "$rigctld_pid"
wait "$rigctld_pid" 2>/dev/null
start_dialer
: >"$work/dialer.log"
record 2 press
boxes=$(xdotool search --all --onlyvisible --pid "$dialer" --name '^Nothing sent$' | wc -l)
check "no rigctld: one message" "$(yes_if [ "$boxes" = 1 ])" "$boxes boxes; $(grep dialer.ptt "$work/dialer.log")"
check "no rigctld: no sound" "$([ -z "$heard" ] && [ "$cut" = 0 ] && echo yes || echo no)" "heard '$heard'"
check "no rigctld: Hamlib's reason logged once" \
    "$(yes_if [ "$(grep -c "dialer.ptt: rig_open: IO error (Hamlib rig model 2, 127.0.0.1:$rig_port)" "$work/dialer.log")" = 1 ])" \
    "$(grep -v -E '^(ALSA lib|Cannot connect|jack|Jack)' "$work/dialer.log")"
for box in $(xdotool search --all --onlyvisible --pid "$dialer" --name '^Nothing sent$'); do
    xdotool windowfocus --sync "$box" key Return
done
start_rigctld "$rig_port" || exit 1
watched 2.2 press
heard=$(bash "$server" heard "$work/rec.wav")
check "rigctld started again: the next press keys and dials" \
    "$([ "$heard" = "$command" ] && [ "$(wc -l <<<"$ptt_keyings")" = 1 ] && echo yes || echo no)" "heard '$heard'; $ptt_keyings"
finish
