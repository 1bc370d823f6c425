#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing the dialer need.
# Only what is missing is installed, so a second run costs nothing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang-format
  # checks: sanitizers, fuzzing, static analysis
  clang libclang-rt-14-dev clang-tidy
  qt6-base-dev qt6-base-dev-tools libgl-dev
  portaudio19-dev libsndfile1-dev libsamplerate0-dev
  # run: sound through PulseAudio, fonts the window asks for
  pulseaudio pulseaudio-utils libasound2-plugins alsa-utils
  fonts-wine fonts-liberation fonts-dejavu-core
  # test: decode what was dialled, screenshots
  multimon-ng sox xvfb xauth x11-utils xdotool imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
