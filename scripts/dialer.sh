#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The run command: installs what building and running need (only what is
# missing), builds the program without its tests and starts it, as the user who
# called it, so that the tones go to that user's desktop sound server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
source scripts/caller.sh
rerun_as_caller scripts/dialer.sh "$@"
cmake -S . -B build -G Ninja -DBUILD_TESTING=OFF >/dev/null
cmake --build build
exec ./build/dtmf-dialer "$@"
