#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Commands from the command line, with no display: the shipped executable's
# --send dials each kind of command through a private sound server and exits
# with 0 once it has sounded; a tone that does not go out gives 1 and its
# reason; a wrong request gives 2 and sends nothing. A window's dial and a
# script's at the same moment come out one after the other. Every dial is in
# the uplink log, whole lines of JSON, also from ten processes at once; a log
# that cannot be written lets the dial go out and says so once.
#
#   send.sh DTMF_DIALER     (run under xvfb-run, for the window's part)
exe=$1
command=147
kind=pulseaudio
. "$(dirname "$0")/../support/windowdial.sh"
log=$XDG_STATE_HOME/dtmf-dialer/uplink.jsonl
line1="1 99999U 12999A   23154.51782528 -.00016717  12345-6 -79876-5 0  9007"
line2="2 99999  51.6415 279.4564 0010483 281.6924 180.1234 15.58461234123457"
printf 'KESTREL\r\n%s\r\n%s\r\n' "$line1" "$line2" >"$work/set.tle"

# send EXPECTED_STATUS ARGS...: runs --send with no display, recording the sink;
# sets status, printed (its first line), errors and heard.
send() {
    local want=$1
    shift
    bash "$server" record "$runtime" "$work/rec.wav" || return
    env -u DISPLAY "${bin:-$exe}" "$@" >"$work/out" 2>"$work/err" <"${stdin:-/dev/null}"
    status=$?
    sleep 0.3
    bash "$server" stop-recording "$runtime"
    heard=$(bash "$server" decode "$work/rec.wav")
    printed=$(head -n 1 "$work/out")
    errors=$(cat "$work/err")
    [ "$status" = "$want" ]
}
sent_whole() { # NAME ARGS...: exit 0, and what was printed is what was heard
    local name=$1
    shift
    send 0 "$@"
    local expected
    expected=$(echo "$printed" | tr -d ' \t' | tr a-d A-D)
    check "$name" "$([ "$status" = 0 ] && [ -n "$expected" ] && [ "$heard" = "$expected" ] && echo yes || echo no)" \
        "status $status, printed '$printed', heard '$heard', errors '$errors'"
}

sent_whole "a fixed command" --send MSK_2k4
check "  ... is what its button sends" "$(yes_if [ "$printed" = "**31##" ])" "'$printed'"
sent_whole "a threshold with its value" --send SET_LOW_TEMP=205
check "  ... composed as the window does" "$(yes_if [ "$printed" = "**13#205#" ])" "'$printed'"
sent_whole "a packet pair" --send PACKET_POINTER=00012,00010
check "  ... joined" "$(yes_if [ "$printed" = "**39#0001200010#" ])" "'$printed'"
sent_whole "the time" --send SET_TIME
sent_whole "free text" --send '**3 1##'
sent_whole "an element set from a file" --send SET_OLE --elements "$work/set.tle"
ole=$printed
stdin=$work/set.tle sent_whole "an element set from standard input" --send SET_OLE --elements -
check "  ... the same" "$(yes_if [ "$printed" = "$ole" ])" "'$printed' and '$ole'"

# A tone file missing: that symbol is reported, the others sound.
mkdir -p "$work/bin"
cp "$exe" "$(dirname "$exe")"/*.wav "$work/bin/"
rm "$work/bin/5.wav"
bin=$work/bin/dtmf-dialer send 1 --send 1256
check "a missing tone file: status 1, the others heard" \
    "$([ "$status" = 1 ] && [ "$heard" = 126 ] && echo yes || echo no)" "status $status, heard '$heard'"
check "  ... the reason on standard error" \
    "$([ "$(grep -c '^Error playing DTMF tone: .5.: .*5.wav' "$work/err")" = 1 ] && echo yes || echo no)" "'$errors'"

# Wrong requests: status 2, a message naming the problem, nothing dialled.
for wrong in "HK_OLD:HK_OLD" "SET_OK_TEMP=2000:2000" "SET_LOW_BATT:takes one value" \
    "SET_OLE --elements $work/none.tle:none.tle"; do
    args=${wrong%%:*} problem=${wrong#*:}
    # shellcheck disable=SC2086 # the request is split into its words
    send 2 --send $args
    check "refused: $args" "$([ "$status" = 2 ] && [ -z "$heard" ] && [[ $errors == *"$problem"* ]] && echo yes || echo no)" \
        "status $status, heard '$heard', errors '$errors'"
done

# A window's dial and a script's at the same moment: one after the other.
start_dialer
record 3.5 bash -c "xdotool windowfocus '$window' key space & '$exe' --send 2580 >/dev/null 2>&1; wait"
check "a window and a script together, one after the other" \
    "$([ "$heard" = 1472580 ] || [ "$heard" = 2580147 ] && echo yes || echo no)" "heard '$heard'"
kill "$dialer"
wait "$dialer" 2>/dev/null

# Ten processes dialling into one log at once.
for _ in $(seq 10); do env -u DISPLAY "$exe" --send 1 >/dev/null 2>&1 & done
wait

# The log: every line JSON with the fields, a start and an end for each dial.
bad=$(jq -c 'select((.time | test("^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}Z$") | not)
    or (.event != "dial-start" and .event != "dial-end") or (.command | type) != "string"
    or ((.name | type) != "string" and .name != null) or (.from != "window" and .from != "command-line")
    or (.output | type) != "string" or (.ptt | type) != "string"
    or (.event == "dial-end" and (((.not_sent | type) != "array") or ((.duration_ms | type) != "number"))))' "$log" 2>&1)
lines=$(wc -l <"$log")
starts=$(grep -c '"event":"dial-start"' "$log")
ends=$(grep -c '"event":"dial-end"' "$log")
# 7 commands, a missing tone, a window and a script, ten scripts.
check "the log: every line whole JSON with its fields" "$([ -z "$bad" ] && [ "$lines" = 40 ] && echo yes || echo no)" \
    "$lines lines; wrong: $bad"
check "  ... each dial started and ended" "$([ "$starts" = 20 ] && [ "$ends" = 20 ] && echo yes || echo no)" \
    "$starts starts, $ends ends"
missing=$(jq -c 'select(.event == "dial-end" and .command == "1256") | [.not_sent, .name, .from]' "$log")
check "  ... what did not sound, by position" "$(yes_if [ "$missing" = '[[2],null,"command-line"]' ])" "$missing"
names=$(jq -r 'select(.event == "dial-end") | .name // "-"' "$log" | sort -u | tr '\n' ' ')
check "  ... the catalogue's names" \
    "$(yes_if [ "$names" = "- MSK_2k4 PACKET_POINTER SET OLE SET_LOW_TEMP SET_TIME " ])" "$names"

# A log that cannot be written: the dial goes out, and it is said once.
: >"$work/afile"
send 0 --send 36 --log "$work/afile/uplink.jsonl"
check "an unwritable log: still dialled" "$(yes_if [ "$heard" = 36 ])" "status $status, heard '$heard'"
check "  ... and said once" "$(yes_if [ "$(grep -c 'uplink log' "$work/err")" = 1 ])" "'$errors'"
mkdir -p "$XDG_CONFIG_HOME/dtmf-dialer"
printf '[log]\nfile=%s\n' "$work/afile/uplink.jsonl" >"$XDG_CONFIG_HOME/dtmf-dialer/dtmf-dialer.conf"
start_dialer
boxes=0
for press in 1 2; do
    record 1.5 xdotool windowfocus "$window" key space
    box=$(xdotool search --all --onlyvisible --pid "$dialer" --name '^Uplink log$' 2>/dev/null | head -n 1)
    if [ -n "$box" ]; then
        boxes=$((boxes + 1))
        xdotool windowfocus --sync "$box" key Return
        sleep 0.3
    fi
    dialled[press]=$heard
done
check "  ... from the window: both dialled, one message" \
    "$([ "${dialled[1]}" = 147 ] && [ "${dialled[2]}" = 147 ] && [ "$boxes" = 1 ] && echo yes || echo no)" \
    "heard '${dialled[1]}' and '${dialled[2]}', $boxes messages"
finish
