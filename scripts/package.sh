#!/usr/bin/env bash
# Builds the Debian package build/fennox_<version>_amd64.deb: the monitor,
# the command-line tools, the desktop entry, the icon and the manual pages
# under /usr. Install it with: sudo apt install ./build/fennox_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
rm -f build/fennox_*.deb
(cd build && cpack -G DEB >/dev/null)
ls build/fennox_*.deb
