#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages the dialer needs; only what is missing, so a
# second run costs nothing. apt-get runs directly as root, through sudo otherwise.
#   install-deps.sh run    building and running the program (scripts/dialer.sh)
#   install-deps.sh test   that, and the tools of every test (scripts/test.sh)
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
  portaudio19-dev libsndfile1-dev libsamplerate0-dev libpulse-dev libasound2-dev
  libjack-jackd2-dev libhamlib-dev)
# The program plays to whatever sound server the desktop runs (PulseAudio or
# PipeWire): ALSA's pulse plugin reaches it, as the default device or a sink
# chosen by name. No sound server is installed for running. Fonts the window asks for.
run=(libasound2-plugins fonts-wine fonts-liberation fonts-dejavu-core)
tests=(
  # private sound servers with a null sink; recording and decoding what was dialled
  pulseaudio pulseaudio-utils alsa-utils pipewire pipewire-pulse wireplumber dbus
  multimon-ng sox
  # reading the uplink log in its tests
  jq
  # a dummy rig behind rigctld, keyed as the transmitter is
  libhamlib-utils
  # the window under a real X server, driven from the keyboard; screenshots
  xvfb xauth x11-utils xdotool imagemagick
  # the Debian package and its checks
  dpkg-dev lintian desktop-file-utils
  # sanitizers, fuzzing, static analysis, formatting
  clang libclang-rt-14-dev clang-tidy clang-format
)

case "${1:-}" in
  run) wanted=("${build[@]}" "${run[@]}") ;;
  test) wanted=("${build[@]}" "${run[@]}" "${tests[@]}") ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${wanted[@]}"; do
  installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root, or install sudo and give $(id -un) the right to use it." >&2
  exit 1
fi

# Sound servers that only the tests bring onto this machine.
servers=()
for p in pulseaudio pipewire pipewire-pulse wireplumber; do
  installed "$p" || servers+=("$p")
done

echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

# Debian enables a sound server's user units for every user on installation; a
# server installed for the tests must not start in a desktop's next session
# beside (or instead of) the one the desktop runs. The tests start theirs by hand.
units=()
for p in "${servers[@]}"; do
  if installed "$p"; then
    case $p in
      wireplumber) units+=(wireplumber.service) ;;
      *) units+=("$p.service" "$p.socket") ;;
    esac
  fi
done
if [ ${#units[@]} -gt 0 ] && command -v systemctl >/dev/null; then
  echo "Kept out of desktop sessions: ${units[*]}"
  "${as_root[@]}" systemctl --global disable "${units[@]}" >/dev/null 2>&1 || true
fi
