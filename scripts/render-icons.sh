#!/usr/bin/env bash
# Renders the program's icon, app/icons/fennox.svg, into the pictures kept
# beside it: fennox-48.png (the Qt window's built-in icon) and fennox.ico
# (Fennox.exe's, with 16, 24, 32, 48 and 256 px images). Run it after
# changing the SVG and commit what it writes. Needs rsvg-convert (Debian's
# librsvg2-bin) and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/../app/icons"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
pictures=()
for s in 16 24 32 48 256; do
    rsvg-convert -w "$s" -h "$s" fennox.svg -o "$tmp/$s.png"
    pictures+=("$tmp/$s.png")
done
cp "$tmp/48.png" fennox-48.png
convert "${pictures[@]}" fennox.ico
