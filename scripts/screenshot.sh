#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes a picture of the dialer's window, as the operator sees it, under Xvfb
# and puts it at docs/window.png.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target dtmf-dialer
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" bash -c '
  ./build/dtmf-dialer >/dev/null 2>&1 &
  pid=$!
  window=$(timeout 20 xdotool search --sync --all --onlyvisible --pid $pid --name KESTREL | head -n 1)
  sleep 0.5
  import -window "$window" docs/window.png
  kill $pid'
echo "docs/window.png updated"
