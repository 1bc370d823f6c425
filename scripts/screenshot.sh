#!/usr/bin/env bash
# Takes a picture of the window under Xvfb and puts it at docs/window.png.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target tst_screenshot
ctest --test-dir build -R '^tst_screenshot$' --output-on-failure
cp build/window.png docs/window.png
echo "docs/window.png updated"
