#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A private sound server with a null sink named "uplink", for tests that dial
# through the real sound path without a sound card: PulseAudio, or PipeWire with
# WirePlumber and pipewire-pulse as on Debian's desktop. Everything lives in the
# given runtime folder, on a bus of its own, and never meets a desktop's server.
# The server ends with `stop`, or when the process OWNER_PID ends. When start
# succeeds, uplink is the only sink of that name and the default sink, a silent
# stream plays into it, and its monitor records. With `speakers`, a second null
# sink of that name is there as well, and it is the default instead.
# The sinks' descriptions (what pactl and wpctl show): "Radio uplink" and
# "Desk speakers".
#
#   soundserver.sh start pulseaudio|pipewire RUNTIME_DIR OWNER_PID [speakers]
#   soundserver.sh stop RUNTIME_DIR
#   soundserver.sh add-sink RUNTIME_DIR NAME   a null sink (again), as start makes them
#   soundserver.sh record RUNTIME_DIR WAV [SINK]   records the sink (uplink) until
#                                                  stop-recording
#   soundserver.sh stop-recording RUNTIME_DIR  ends every recording
#   soundserver.sh decode WAV                  prints the DTMF symbols heard in it
#   soundserver.sh heard WAV                   the same, told one sound at a time
#   soundserver.sh sounds WAV DIR              splits it into DIR/part*.wav, a sound
#                                              each (apart by 20 ms of silence or more)
#
# With PipeWire, a graph cycle lasts at least 21 ms (SOUNDSERVER_CYCLES=short:
# as short as a stream asks; see below).
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
stop_recording() {
    local recorder
    for recorder in "$rt"/recorder.*; do
        [ -f "$recorder" ] && end "$(cat "$recorder")"
        rm -f "$recorder"
    done
}
stop() {
    stop_recording
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
decode() { # wav: the DTMF symbols heard in it
    timeout 30 multimon-ng -q -a DTMF -t wav "$1" 2>/dev/null | sed -n 's/^DTMF: //p' | tr -d '\n'
}
split_sounds() { # wav dir: its sounds, as the tone files' gaps part them, in dir/part*.wav
    rm -f "$2"/part*.wav
    sox "$1" "$2/part.wav" silence 1 0.002 2% 1 0.02 2% : newfile : restart 2>/dev/null
}
holds_samples() { # wav
    [ "$(stat -c %s "$1" 2>/dev/null || echo 0)" -gt 44 ]
}
record() { # wav [sink]: records the sink's monitor in the background; false if no samples come
    local recorder=$rt/recorder.${2:-uplink}
    [ -f "$recorder" ] && end "$(cat "$recorder")"
    rm -f "$1"
    # parec needs a moment to connect: it records once samples arrive. A short
    # latency, or the end of the recording is lost when it stops.
    setsid parec -d "${2:-uplink}.monitor" --latency-msec=10 --rate=22050 --channels=1 \
        --format=s16le --file-format=wav "$1" </dev/null >/dev/null 2>&1 &
    echo $! >"$recorder"
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
    record "$3" "${4:-uplink}" || { echo "parec records nothing from ${4:-uplink}" >&2; exit 1; }
    exit 0
    ;;
stop-recording)
    rt=$2
    stop_recording
    exit 0
    ;;
add-sink)
    rt=$2 # and on below
    ;;
decode)
    decode "$2"
    exit 0
    ;;
sounds)
    split_sounds "$2" "$3"
    exit 0
    ;;
heard)
    # Each sound decoded on its own. A late cycle of a short-cycled PipeWire
    # leaves a few ms of silence inside a tone, and the decoder then hears that
    # tone twice; so a sound too short to hold two tones (98 ms each) that is
    # heard as one symbol repeated counts once. A tone sent twice is two
    # sounds, or one of 196 ms or more.
    parts=$(mktemp -d) || exit 1
    split_sounds "$2" "$parts"
    for part in "$parts"/part*.wav; do
        symbols=$(decode "$part")
        if [ -n "$symbols" ] && [ -z "${symbols//"${symbols:0:1}"/}" ] &&
            awk -v s="$(soxi -D "$part")" 'BEGIN { exit !(s < 0.15) }'; then
            symbols=${symbols:0:1}
        fi
        printf '%s' "$symbols"
    done
    rm -rf "$parts"
    exit 0
    ;;
esac

command=$1
kind=${2:-}
owner=${4:-}
fail() {
    echo "$*" >&2
    # A sink that cannot be added leaves the server as it was.
    [ "$command" = add-sink ] || stop
    exit 1
}
daemon() { # log name, command...
    local log=$rt/$1.log
    shift
    setsid "$@" </dev/null >"$log" 2>&1 &
    echo $! >>"$rt/pids"
}
# What the server says about the sinks, in words that do not depend on the locale.
export LC_ALL=C
sinks_named() { # name: how many sinks have that name
    pactl list short sinks 2>/dev/null | awk -v name="$1" '$2 == name { n++ } END { print n + 0 }'
}
is_default() { # name
    [ "$(pactl get-default-sink 2>/dev/null)" = "$1" ]
}
plays_into() { # sink pid: a stream of that process plays, uncorked, into the sink
    local sink
    sink=$(pactl list short sinks 2>/dev/null | awk -v name="$1" '$2 == name { print $1 }')
    [ -n "$sink" ] || return 1
    pactl list sink-inputs 2>/dev/null | awk -v pid="\"$2\"" -v sink="$sink" '
        function seen() { if (mine && on_sink && playing) found = 1 }
        /^Sink Input #/ { seen(); mine = on_sink = playing = 0 }
        $1 == "Sink:" { on_sink = $2 == sink }
        $1 == "Corked:" { playing = $2 == "no" }
        $1 == "application.process.id" && $3 == pid { mine = 1 }
        END { seen(); exit !found }'
}
description() { # name: the description the tests know the sink by
    case $1 in
    uplink) echo "Radio uplink" ;;
    speakers) echo "Desk speakers" ;;
    *) echo "$1" ;;
    esac
}
# A null sink of the name, and the default sink if asked. PipeWire's pulse
# server answers before WirePlumber is up, and until then it refuses a default
# sink ("Not supported"): each step is repeated until the state holds, within a
# bound.
settle_sink() { # name yes|no
    local end=$((SECONDS + 10)) loaded=no sinks
    problem="no sink named $1"
    while :; do
        sinks=$(sinks_named "$1")
        [ "$sinks" = 1 ] && { [ "$2" = no ] || is_default "$1"; } && return 0
        [ "$SECONDS" -lt "$end" ] || return 1
        case $sinks in
        0)
            # Loaded once: a module that loaded makes its sink a moment later.
            if [ $loaded = no ]; then
                problem=$(pactl load-module module-null-sink sink_name="$1" \
                    "sink_properties='device.description=\"$(description "$1")\"'" 2>&1 >/dev/null) &&
                    loaded=yes problem="the null sink's module loaded, but no sink named $1"
            fi
            ;;
        1)
            problem="$1 is not the default sink: $(pactl set-default-sink "$1" 2>&1)" ;;
        *)
            problem="$sinks sinks named $1" ;;
        esac
        sleep 0.05
    done
}
wireplumber_said() { # WirePlumber's last words, if it has ended
    local pid
    [ -f "$rt/wireplumber.log" ] || return 0
    for pid in $(cat "$rt/pids" 2>/dev/null); do
        [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = wireplumber ] && return 0
    done
    printf '; WirePlumber is not running: %s' "$(tail -2 "$rt/wireplumber.log" 2>/dev/null)"
}
# A null sink, made the default or not, that plays and whose monitor records: a
# null sink nobody feeds goes idle and its monitor delivers nothing, so a silent
# stream keeps it running. On PipeWire it plays once WirePlumber has linked it.
add_sink() { # name yes|no
    local keepalive
    settle_sink "$1" "$2" || fail "$kind: $problem$(wireplumber_said)"
    daemon "keepalive-$1" bash -c "exec pacat --raw --format=s16le --rate=22050 --channels=1 --device='$1' </dev/zero"
    keepalive=$(tail -1 "$rt/pids")
    wait_for 10 plays_into "$1" "$keepalive" ||
        fail "$kind: the silent stream does not play into $1: $(tail -3 "$rt/keepalive-$1.log")"
    record "$rt/probe.wav" "$1" || fail "$kind: the monitor of $1 delivers nothing"
    stop_recording
    rm -f "$rt/probe.wav"
}

mkdir -p -m 700 "$rt"
export XDG_RUNTIME_DIR=$rt XDG_CONFIG_HOME=$rt/config XDG_STATE_HOME=$rt/state
export PULSE_CLIENTCONFIG=$rt/client.conf DBUS_SESSION_BUS_ADDRESS=unix:path=$rt/bus
unset PULSE_SERVER
if [ "$command" = add-sink ]; then
    kind="adding $3"
    add_sink "$3" no
    exit 0
fi

echo "autospawn = no" >"$PULSE_CLIENTCONFIG"
# WirePlumber watches no devices here: the desktop keeps its sound cards.
mkdir -p "$XDG_CONFIG_HOME/wireplumber/main.lua.d" "$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d"
printf '%s_monitor.enabled = false\n' alsa v4l2 libcamera \
    >"$XDG_CONFIG_HOME/wireplumber/main.lua.d/60-no-devices.lua"
echo "bluez_monitor.enabled = false" >"$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d/60-no-devices.lua"
# PipeWire runs its whole graph at the shortest latency any stream asks for. The
# recorder asks for 10 ms (see record), which gives 5 ms cycles, and this
# machine's threads are not real-time: now and then a cycle came late and left
# 5-10 ms of silence inside a tone, which multimon heard as that tone twice. So
# a cycle is at least Debian's default quantum (1024 samples, 21 ms), unless
# SOUNDSERVER_CYCLES=short keeps the recorder's: the tests that hold the
# dialer's own account of what sounded against the recording (the PTT's times,
# what a killed server cut) need it, since the server takes a tone up to a
# cycle before its monitor hears it. They tell the symbols with `heard`, which
# counts a tone with such a gap once.
if [ "${SOUNDSERVER_CYCLES:-}" != short ]; then
    mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d"
    echo "context.properties = { default.clock.min-quantum = 1024 }" \
        >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/60-min-quantum.conf"
fi

# The server ends with its owner, also when this script is stopped half way.
daemon watch bash -c "while kill -0 $owner 2>/dev/null; do sleep 0.5; done; exec bash '$0' stop '$rt'"
daemon dbus dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS"
wait_for 5 test -S "$rt/bus" || fail "dbus-daemon: $(tail -3 "$rt/dbus.log")"
# A server killed before leaves its sockets behind. WirePlumber gives up at once
# when it cannot connect, so the new server must be listening before it starts.
rm -f "$rt/pipewire-0" "$rt/pipewire-0.lock" "$rt/pulse/native"
if [ "$kind" = pipewire ]; then
    daemon pipewire pipewire
    wait_for 5 timeout 2 pw-cli info 0 || fail "pipewire: $(tail -3 "$rt/pipewire.log")"
    daemon wireplumber wireplumber
    daemon pipewire-pulse pipewire-pulse
else
    daemon pulseaudio pulseaudio --daemonize=no --exit-idle-time=-1 -n --log-target=stderr \
        --load="module-native-protocol-unix auth-anonymous=1"
fi
wait_for 10 timeout 2 pactl info || fail "$kind does not answer: $(tail -3 "$rt"/p*.log)"
if [ "${5:-}" = speakers ]; then
    add_sink uplink no
    add_sink speakers yes
else
    add_sink uplink yes
fi
exit 0
