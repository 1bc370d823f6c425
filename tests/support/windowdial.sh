# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the tests of the shipped executable on a real X server: a private
# sound server of the given kind, dialers started with a command typed into
# their free-text box, and recordings of what the sink heard. With
# sinks=speakers, the server has a second null sink, speakers, as its default
# (see soundserver.sh).
#
#   exe=...; command=...; kind=pulseaudio|pipewire; [sinks=speakers;] . windowdial.sh
#
# Dialers start with the arguments in dialer_args (none unless set).
set -uo pipefail
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run PULSE_CLIENTCONFIG=$work/run/client.conf TMPDIR=$work/tmp
# The dialers read their settings and keep their log here, not in the home folder.
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
mkdir -p "$TMPDIR"
unset PULSE_SERVER
server=$(dirname "${BASH_SOURCE[0]}")/soundserver.sh
pids=()
failures=0
dialer_args=()

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
        # The recording stays beside the test's output, for a look afterwards.
        [ -f "$work/rec.wav" ] && cp "$work/rec.wav" "failed-$(basename "$0" .sh)-$failures.wav" &&
            echo "      recording kept in $(pwd)/failed-$(basename "$0" .sh)-$failures.wav"
    fi
}
yes_if() { "$@" && echo yes || echo no; }
# xdotool, asked again when it failed for a reason that left it undone:
# - it could not reach the X server ("Can't open display"; seen once in a CI
#   run, leaving a dialer without its command typed);
# - a search met a window that went away while it looked (BadWindow): a dialer
#   just killed, or a window Qt makes and drops at start-up. A search only
#   looks, so looking again is safe; other commands are not repeated for it.
# Each try again is said in the test's output.
x_again() { # COMMAND...: runs it, again (up to 5 tries) for the reasons above
    local err=${TMPDIR:-/tmp}/xdotool.$BASHPID.err status try why arg after=
    local searches=no
    for arg in "$@"; do
        [ "$after" = xdotool ] && [ "$arg" = search ] && searches=yes
        after=$arg
    done
    for try in 1 2 3 4 5; do
        "$@" 2>"$err"
        status=$?
        if grep -q "^Error: Can't open display" "$err"; then
            why="could not reach the X server"
        elif [ "$searches" = yes ] && [ "$status" != 0 ] && grep -q BadWindow "$err"; then
            why="met a window that went away"
        else
            break
        fi
        echo "xdotool $why (try $try of 5): $*" >&2
        sleep 0.2
    done
    cat "$err" >&2
    rm -f "$err"
    return "$status"
}
xdotool() { x_again command xdotool "$@"; }
export -f x_again xdotool

bash "$server" start "$kind" "$XDG_RUNTIME_DIR" $$ ${sinks:-} || exit 1
runtime=$XDG_RUNTIME_DIR

window_of() { # window_of PID: the dialer's window, once it shows
    x_again timeout 20 xdotool search --sync --all --onlyvisible --pid "$1" --name KESTREL | head -n 1
}
# A dialer whose focus is on the free-text box's button, holding $command; its
# stdout and stderr go to $work/dialer.log.
start_dialer() { # start_dialer [ENV...] [-- ARGUMENT...]
    local environment=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        environment+=("$1")
        shift
    done
    [ $# -eq 0 ] || shift
    env "${environment[@]}" "$exe" "${dialer_args[@]}" "$@" >>"$work/dialer.log" 2>&1 &
    pids+=($!)
    dialer=$!
    window=$(window_of "$dialer")
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
    bash "$server" sounds "$work/rec.wav" "$work"
    cut=0 sounds=
    for part in "$work"/part*.wav; do
        ms=$(soxi -D "$part" | awk '{printf "%d", $1 * 1000}')
        [ "$ms" -gt 0 ] && [ "$ms" -lt 90 ] && cut=$((cut + 1))
        [ "$ms" -gt 0 ] && sounds+="$ms "
    done
}
finish() { # the verdict, with the dialers' own lines when something failed
    [ "$failures" -eq 0 ] && echo "$0: all passed" && exit 0
    grep -v -E '^(ALSA|Cannot connect|jack|Jack)' "$work/dialer.log" | tail -20
    exit 1
}
