#!/usr/bin/env bash
# Installs what is missing, builds the dialer and starts it with its tone files.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
exec ./build/dtmf-dialer
