#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as an operator gets it: built with CPack, unpacked into a
# scratch root, its layout and desktop entry checked, then the program started
# through its /usr/bin symlink under Xvfb. The keyboard presses the "**31##"
# button (Tab from the start focus, then Space), and multimon-ng must hear
# "**31##" on a private PulseAudio null sink: so the program found the tone
# files beside its real executable.
#   installed_dial.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
scratch=$(mktemp -d)
server=$(dirname "$0")/../support/soundserver.sh
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill -KILL "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  bash "$server" stop "$scratch/run" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
wait_for() { # seconds, command...
  local end=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.05
  done
}

echo "== package"
timeout 180 cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1 \
  || { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$scratch/pkg/dtmf-dialer_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$scratch/pkg")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libportaudio2 libsndfile1 libsamplerate0 libasound2-plugins; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib"
done
root=$scratch/root
timeout 60 dpkg -x "$deb" "$root"
[ "$(readlink "$root/usr/bin/dtmf-dialer")" = ../lib/dtmf-dialer/dtmf-dialer ] || fail "/usr/bin/dtmf-dialer is not the relative symlink"
for n in $(seq 16); do [ -f "$root/usr/lib/dtmf-dialer/$n.wav" ] || fail "no /usr/lib/dtmf-dialer/$n.wav"; done
! readelf -S "$root/usr/lib/dtmf-dialer/dtmf-dialer" | grep -q "\.symtab" || fail "the packaged program is not stripped"
out=$(desktop-file-validate "$root/usr/share/applications/dtmf-dialer.desktop" 2>&1) || fail "desktop entry: $out"
[ -z "$out" ] || fail "desktop entry: $out"
for icon in scalable/apps/dtmf-dialer.svg 48x48/apps/dtmf-dialer.png 128x128/apps/dtmf-dialer.png; do
  [ -f "$root/usr/share/icons/hicolor/$icon" ] || fail "no icon $icon"
done

echo "== private PulseAudio with a null sink"
export XDG_RUNTIME_DIR=$scratch/run PULSE_CLIENTCONFIG=$scratch/run/client.conf XDG_CONFIG_HOME=$scratch/config XDG_STATE_HOME=$scratch/state
unset PULSE_SERVER
bash "$server" start pulseaudio "$XDG_RUNTIME_DIR" $$ || fail "no sound server"
rec=$scratch/rec.wav
bash "$server" record "$XDG_RUNTIME_DIR" "$rec" || fail "no recording"

echo "== the installed program under Xvfb"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
pids+=($!)
wait_for 10 test -s "$scratch/display" || fail "Xvfb: $(cat "$scratch/xvfb.log")"
export DISPLAY=:$(cat "$scratch/display")
QT_QPA_PLATFORM=xcb "$root/usr/bin/dtmf-dialer" >"$scratch/dialer.log" 2>&1 &
pids+=($!)
caption="KESTREL DTMF Dialer"
wid=$(timeout 20 xdotool search --sync --name "^$caption") || fail "no window: $(cat "$scratch/dialer.log")"
wid=${wid%%$'\n'*}
timeout 10 xdotool windowfocus --sync "$wid"
sleep 1 # the audio system starts after the first paint
timeout 10 xdotool key --delay 100 Tab space
sleep 2.5 # six symbols of 200 ms, and a margin
bash "$server" stop-recording "$XDG_RUNTIME_DIR"
heard=$(bash "$server" decode "$rec")
echo "heard: $heard"
[ "$heard" = "**31##" ] || fail "expected **31##; the program said: $(tail -5 "$scratch/dialer.log")"
echo "PASS: the installed program dialled **31##"
