#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the committed pictures from their SVG sources in assets/:
#   satellite.svg   -> satellite.jpg (220x131, the window's picture)
#   dtmf-dialer.svg -> keypad.ico (32x32, the window's icon) and
#                      dtmf-dialer-48.png, dtmf-dialer-128.png (the desktop icon)
# Builds never run this; run it after changing an SVG and commit the results.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert (imagemagick).
set -euo pipefail
cd "$(dirname "$0")/../assets"
for tool in rsvg-convert convert; do
  command -v "$tool" >/dev/null || { echo "render-assets: $tool is missing (apt install librsvg2-bin imagemagick)" >&2; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

rsvg-convert -w 220 -h 131 satellite.svg -o "$tmp/satellite.png"
convert "$tmp/satellite.png" -background black -flatten -strip -quality 92 satellite.jpg

rsvg-convert -w 32 -h 32 dtmf-dialer.svg -o "$tmp/icon32.png"
convert "$tmp/icon32.png" -strip keypad.ico
for size in 48 128; do
  rsvg-convert -w "$size" -h "$size" dtmf-dialer.svg -o "dtmf-dialer-$size.png"
done
echo "render-assets: satellite.jpg keypad.ico dtmf-dialer-48.png dtmf-dialer-128.png written"
