#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The executable that ships, on a real X server, with a private sound server of
# two null sinks: speakers ("Desk speakers", the default) and uplink ("Radio
# uplink"). The output chosen by --output, by the settings file or by its
# description hears the whole command and speakers nothing; with none chosen
# the default hears it, before and after a choice. The chosen output gone in
# the middle of a dial, the rest goes nowhere and is reported; gone before a
# press, the press sends nothing anywhere and says so in one message, and a
# press once it is back dials again. --list-outputs lists both sinks, and gives up on a
# server that does not answer. The stream shows in the server as the dialer's.
# A start and a dial print nothing at all.
#
#   outputs.sh DTMF_DIALER pulseaudio|pipewire     (run under xvfb-run)
exe=$1
kind=$2
command=1234567890
sinks=speakers
. "$(dirname "$0")/../support/windowdial.sh"
export LC_ALL=C

# What uplink and speakers heard while COMMAND... ran and SECONDS passed ("-"
# for a sink that is not there).
heard_on() { # heard_on SECONDS COMMAND...
    local sink
    for sink in uplink speakers; do
        rm -f "$work/$sink.wav"
        bash "$server" record "$runtime" "$work/$sink.wav" "$sink" 2>/dev/null || rm -f "$work/$sink.wav"
    done
    "${@:2}" >/dev/null 2>&1
    sleep "$1"
    bash "$server" stop-recording "$runtime"
    for sink in uplink speakers; do
        if [ -f "$work/$sink.wav" ]; then
            declare -g "on_$sink=$(bash "$server" decode "$work/$sink.wav")"
        else
            declare -g "on_$sink=-"
        fi
    done
}
press() { xdotool windowfocus --sync "$window" key space; }
# A press, and the sink, application.name, application.icon_name and
# media.name of the dialer's stream one second into the dial.
press_and_look() {
    press
    sleep 1
    pactl list sink-inputs >"$work/inputs" 2>&1
}
stream_of() { # pid
    local found
    found=$(awk -v pid="\"$1\"" '
        function value() { v = $0; sub(/^[^=]*= "/, "", v); sub(/"$/, "", v); return v }
        function out() { if (mine && !done) { print sink "|" app "|" icon "|" media; done = 1 } }
        /^Sink Input #/ { out(); mine = 0; sink = app = icon = media = "" }
        $1 == "Sink:" { sink = $2 }
        $1 == "application.process.id" && $3 == pid { mine = 1 }
        $1 == "application.name" { app = value() }
        $1 == "application.icon_name" { icon = value() }
        $1 == "media.name" { media = value() }
        END { out() }' "$work/inputs")
    local index=${found%%|*}
    echo "$(pactl list short sinks | awk -v i="$index" '$1 == i { print $2 }')|${found#*|}"
}
quiet() { # nothing in the dialers' log (their stdout and stderr)
    [ -s "$work/dialer.log" ] && echo no || echo yes
}
# Answers every message box of the dialer with the title as it comes, until
# none has come for 2 s; how many came.
answer_boxes() { # TITLE
    local count=0 idle=0 box
    while [ "$idle" -lt 40 ]; do
        box=$(xdotool search --all --onlyvisible --pid "$dialer" --name "^$1\$" | head -n 1)
        if [ -z "$box" ]; then
            idle=$((idle + 1))
            sleep 0.05
            continue
        fi
        count=$((count + 1)) idle=0
        xdotool windowfocus --sync "$box" key Return
        while xdotool search --all --onlyvisible --pid "$dialer" --name "^$1\$" | grep -qx "$box"; do
            sleep 0.02
        done
    done
    echo "$count"
}
only_uplink() { yes_if [ "$on_uplink/$on_speakers" = "$command/" ]; }
end_dialer() {
    kill -TERM "$dialer"
    wait "$dialer" 2>/dev/null
    : >"$work/dialer.log"
}

# No output chosen: the default output, and not a word on stdout or stderr.
start_dialer
heard_on 3.5 press
check "no choice: the default output" "$(yes_if [ "$on_uplink/$on_speakers" = "/$command" ])" \
    "uplink '$on_uplink', speakers '$on_speakers'"
check "a start and a dial print nothing" "$(quiet)" "$(head -c 300 "$work/dialer.log")"
end_dialer

# Chosen on the command line; the stream as the server shows it.
start_dialer -- --output uplink
heard_on 2.5 press_and_look
check "--output uplink: uplink only" "$(only_uplink)" "uplink '$on_uplink', speakers '$on_speakers'"
stream=$(stream_of "$dialer")
check "the stream's sink and names" "$(yes_if [ "$stream" = "uplink|DTMF Dialer|dtmf-dialer|Uplink" ])" \
    "$stream"
check "--output uplink prints nothing" "$(quiet)" "$(head -c 300 "$work/dialer.log")"
end_dialer

# Chosen in the settings file.
mkdir -p "$XDG_CONFIG_HOME/dtmf-dialer"
printf '[uplink]\noutput=uplink\n' >"$XDG_CONFIG_HOME/dtmf-dialer/dtmf-dialer.conf"
start_dialer
heard_on 3.5 press
check "settings file: uplink only" "$(only_uplink)" "uplink '$on_uplink', speakers '$on_speakers'"
end_dialer
rm "$XDG_CONFIG_HOME/dtmf-dialer/dtmf-dialer.conf"

# Chosen by its description; then it goes away in the middle of a dial, is
# not there for the next, and comes back.
start_dialer -- --output "Radio uplink"
heard_on 3.5 press
check "by description: uplink only" "$(only_uplink)" "uplink '$on_uplink', speakers '$on_speakers'"
uplink_listed() { pactl list short sinks | awk '{ print $2 }' | grep -qx uplink; }
unload_uplink() {
    pactl unload-module "$(pactl list short modules | awk '/sink_name=uplink/ { print $1 }')"
    for _ in $(seq 100); do
        uplink_listed || break
        sleep 0.05
    done
}
# The rest of the command goes nowhere (the server would move the stream to
# the default output) and is reported.
unload_while_dialling() {
    press
    sleep 1
    unload_uplink
    boxes=$(answer_boxes Error)
}
heard_on 0.5 unload_while_dialling
check "uplink unloaded" "$(uplink_listed && echo no || echo yes)" "$(pactl list short sinks)"
check "uplink gone while dialling: the rest nowhere, and reported" \
    "$([ -z "$on_speakers" ] && [ "$boxes" -gt 0 ] && [ "${command#"${on_uplink#-}"}" != "$command" ] && echo yes || echo no)" \
    "uplink '$on_uplink', speakers '$on_speakers', $boxes error boxes"
: >"$work/dialer.log"
press_and_answer() {
    press
    boxes=$(answer_boxes 'Nothing sent')
}
heard_on 0.5 press_and_answer
check "uplink gone: one message" "$(yes_if [ "$boxes" = 1 ])" "$boxes boxes"
# (PipeWire's pulse server records the default's monitor for one that is gone.)
check "uplink gone: nothing heard" "$(yes_if [ "${on_uplink#-}$on_speakers" = "" ])" \
    "uplink '$on_uplink', speakers '$on_speakers'"
refusals=$(grep -c 'nothing sent: the uplink output "Radio uplink" is not there' "$work/dialer.log")
check "uplink gone: said once, in one line" "$(yes_if [ "$refusals/$(wc -l <"$work/dialer.log")" = 1/1 ])" \
    "$(head -c 300 "$work/dialer.log")"
bash "$server" add-sink "$runtime" uplink || exit 1
heard_on 3.5 press
check "uplink back: the next press dials into it" "$(only_uplink)" \
    "uplink '$on_uplink', speakers '$on_speakers'"
end_dialer

# None chosen after a choice: still the default.
start_dialer
heard_on 3.5 press
check "no choice after a choice: the default output" \
    "$(yes_if [ "$on_uplink/$on_speakers" = "/$command" ])" "uplink '$on_uplink', speakers '$on_speakers'"
end_dialer

# The list, and a server that takes the connection but does not answer.
listed=$("$exe" --list-outputs 2>&1)
both_listed() {
    grep -qxF $'uplink\tRadio uplink' <<<"$listed" && grep -qxF $'speakers\tDesk speakers' <<<"$listed"
}
check "--list-outputs lists both" "$(yes_if both_listed)" "$listed"
servers=$(for pid in $(cat "$runtime/pids"); do
    case $(cat "/proc/$pid/comm" 2>/dev/null) in pulseaudio | pipewire-pulse) echo "$pid" ;; esac
done)
kill -STOP $servers
listed=$(timeout 10 "$exe" --list-outputs 2>&1)
status=$?
kill -CONT $servers
check "--list-outputs gives up on a server that does not answer" \
    "$(yes_if [ "$status/$listed" = "1/dtmf-dialer: the sound server did not answer within 3 s" ])" \
    "status $status: $listed"

finish
