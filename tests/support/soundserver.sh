#!/usr/bin/env bash
# A private sound server with a null sink named "uplink", for tests that dial
# through the real sound path without a sound card: PulseAudio, or PipeWire with
# WirePlumber and pipewire-pulse as on Debian's desktop. Everything lives in the
# given runtime folder, on a bus of its own, and never meets a desktop's server.
# The server ends with `stop`, or when the process OWNER_PID ends. When start
# succeeds, uplink is the only sink of that name and the default sink, a silent
# stream plays into it, and its monitor records.
#
#   soundserver.sh start pulseaudio|pipewire RUNTIME_DIR OWNER_PID
#   soundserver.sh stop RUNTIME_DIR
#   soundserver.sh record RUNTIME_DIR WAV      records the sink until stop-recording
#   soundserver.sh stop-recording RUNTIME_DIR
#   soundserver.sh decode WAV                  prints the DTMF symbols heard in it
#
# Clients find it with XDG_RUNTIME_DIR=RUNTIME_DIR and
# PULSE_CLIENTCONFIG=RUNTIME_DIR/client.conf (no autospawn of a server with the
# machine's own sound cards), PULSE_SERVER unset.
set -uo pipefail
rt=${3:-${2:-}}
[ -n "$rt" ] || { echo "usage: $0 start KIND DIR OWNER_PID | stop DIR" >&2; exit 2; }

running() { # pid: true while the process exists and is not a zombie
    local stat
    # The redirection's own error goes to /dev/null too: a process that ended
    # and was reaped has no /proc entry, and that is an answer, not an error.
    { read -r stat <"/proc/$1/stat"; } 2>/dev/null || return 1
    stat=${stat##*) } # the name in parentheses may hold spaces
    [ "${stat%% *}" != Z ]
}
gone() { # pid seconds: waits until the process has ended (a zombie has); false if not
    local end=$((SECONDS + $2))
    while running "$1"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.02
    done
}
end() { # pid: ends it, SIGINT first
    kill -INT "$1" 2>/dev/null
    gone "$1" 3 || kill -KILL "$1" 2>/dev/null
}
stop() {
    [ -f "$rt/recorder" ] && end "$(cat "$rt/recorder")"
    [ -f "$rt/pids" ] || return 0
    for pid in $(tac "$rt/pids"); do
        # The owner's watch stops the server by becoming this script: it must
        # not end itself before the others.
        [ "$pid" != $$ ] || continue
        kill -TERM "$pid" 2>/dev/null
        gone "$pid" 5 || kill -KILL "$pid" 2>/dev/null
    done
    rm -f "$rt/pids"
}
wait_for() { # seconds, command...: until the command succeeds; false if it never does
    local end=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.02
    done
}
holds_samples() { # wav
    [ "$(stat -c %s "$1" 2>/dev/null || echo 0)" -gt 44 ]
}
record() { # wav: records the sink's monitor in the background; false if no samples come
    [ -f "$rt/recorder" ] && end "$(cat "$rt/recorder")"
    rm -f "$1"
    # parec needs a moment to connect: it records once samples arrive. A short
    # latency, or the end of the recording is lost when it stops.
    setsid parec -d uplink.monitor --latency-msec=10 --rate=22050 --channels=1 --format=s16le \
        --file-format=wav "$1" </dev/null >/dev/null 2>&1 &
    echo $! >"$rt/recorder"
    wait_for 5 holds_samples "$1"
}
case $1 in
stop)
    rt=$2
    stop
    exit 0
    ;;
record)
    rt=$2
    export XDG_RUNTIME_DIR=$rt PULSE_CLIENTCONFIG=$rt/client.conf
    record "$3" || { echo "parec records nothing" >&2; exit 1; }
    exit 0
    ;;
stop-recording)
    [ -f "$2/recorder" ] && end "$(cat "$2/recorder")"
    rm -f "$2/recorder"
    exit 0
    ;;
decode)
    timeout 30 multimon-ng -q -a DTMF -t wav "$2" 2>/dev/null | sed -n 's/^DTMF: //p' | tr -d '\n'
    exit 0
    ;;
esac

kind=$2
owner=$4
fail() {
    echo "$*" >&2
    stop
    exit 1
}
daemon() { # log name, command...
    local log=$rt/$1.log
    shift
    setsid "$@" </dev/null >"$log" 2>&1 &
    echo $! >>"$rt/pids"
}
# What the server says about the sink, in words that do not depend on the locale.
export LC_ALL=C
uplink_sinks() { # how many sinks are named uplink
    pactl list short sinks 2>/dev/null | awk '$2 == "uplink" { n++ } END { print n + 0 }'
}
uplink_is_default() {
    [ "$(pactl get-default-sink 2>/dev/null)" = uplink ]
}
plays_into_uplink() { # pid: a stream of that process plays, uncorked, into uplink
    local sink
    sink=$(pactl list short sinks 2>/dev/null | awk '$2 == "uplink" { print $1 }')
    [ -n "$sink" ] || return 1
    pactl list sink-inputs 2>/dev/null | awk -v pid="\"$1\"" -v sink="$sink" '
        function seen() { if (mine && on_sink && playing) found = 1 }
        /^Sink Input #/ { seen(); mine = on_sink = playing = 0 }
        $1 == "Sink:" { on_sink = $2 == sink }
        $1 == "Corked:" { playing = $2 == "no" }
        $1 == "application.process.id" && $3 == pid { mine = 1 }
        END { seen(); exit !found }'
}
# The null sink uplink, and as the default sink. PipeWire's pulse server answers
# before WirePlumber is up, and until then it refuses a default sink ("Not
# supported"): each step is repeated until the state holds, within a bound.
settle_sink() {
    local end=$((SECONDS + 10)) loaded=no sinks
    problem="no sink named uplink"
    while :; do
        sinks=$(uplink_sinks)
        [ "$sinks" = 1 ] && uplink_is_default && return 0
        [ "$SECONDS" -lt "$end" ] || return 1
        case $sinks in
        0)
            # Loaded once: a module that loaded makes its sink a moment later.
            if [ "$kind" = pipewire ] && [ $loaded = no ]; then
                problem=$(pactl load-module module-null-sink sink_name=uplink 2>&1 >/dev/null) &&
                    loaded=yes problem="the null sink's module loaded, but no sink named uplink"
            fi
            ;;
        1)
            problem="uplink is not the default sink: $(pactl set-default-sink uplink 2>&1)" ;;
        *)
            problem="$sinks sinks named uplink" ;;
        esac
        sleep 0.05
    done
}

mkdir -p -m 700 "$rt"
export XDG_RUNTIME_DIR=$rt XDG_CONFIG_HOME=$rt/config XDG_STATE_HOME=$rt/state
export PULSE_CLIENTCONFIG=$rt/client.conf DBUS_SESSION_BUS_ADDRESS=unix:path=$rt/bus
unset PULSE_SERVER
echo "autospawn = no" >"$PULSE_CLIENTCONFIG"
# WirePlumber watches no devices here: the desktop keeps its sound cards.
mkdir -p "$XDG_CONFIG_HOME/wireplumber/main.lua.d" "$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d"
printf '%s_monitor.enabled = false\n' alsa v4l2 libcamera \
    >"$XDG_CONFIG_HOME/wireplumber/main.lua.d/60-no-devices.lua"
echo "bluez_monitor.enabled = false" >"$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d/60-no-devices.lua"

# The server ends with its owner, also when this script is stopped half way.
daemon watch bash -c "while kill -0 $owner 2>/dev/null; do sleep 0.5; done; exec bash '$0' stop '$rt'"
daemon dbus dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS"
wait_for 5 test -S "$rt/bus" || fail "dbus-daemon: $(tail -3 "$rt/dbus.log")"
if [ "$kind" = pipewire ]; then
    daemon pipewire pipewire
    wait_for 5 test -S "$rt/pipewire-0" || fail "pipewire: $(tail -3 "$rt/pipewire.log")"
    daemon wireplumber wireplumber
    daemon pipewire-pulse pipewire-pulse
else
    daemon pulseaudio pulseaudio --daemonize=no --exit-idle-time=-1 -n --log-target=stderr \
        --load="module-null-sink sink_name=uplink" \
        --load="module-native-protocol-unix auth-anonymous=1"
fi
wait_for 10 timeout 2 pactl info || fail "$kind does not answer: $(tail -3 "$rt"/p*.log)"
settle_sink || fail "$kind: $problem"
# A null sink nobody feeds goes idle and its monitor delivers nothing: a silent
# stream keeps it running. On PipeWire it plays once WirePlumber has linked it.
daemon keepalive bash -c "exec pacat --raw --format=s16le --rate=22050 --channels=1 --device=uplink </dev/zero"
keepalive=$(tail -1 "$rt/pids")
wait_for 10 plays_into_uplink "$keepalive" ||
    fail "$kind: the silent stream does not play into uplink: $(tail -3 "$rt/keepalive.log")"
record "$rt/probe.wav" || fail "$kind: the monitor of uplink delivers nothing"
end "$(cat "$rt/recorder")"
rm -f "$rt/recorder" "$rt/probe.wav"
exit 0
