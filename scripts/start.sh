#!/usr/bin/env bash
# Installs what is missing, builds, and starts the monitor. The settings file
# lives beside the program file (build/app/fennox.ini).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target fennox -j "$(nproc)"
exec build/app/fennox
