#!/usr/bin/env bash
# Cross-builds the Windows programs and tests into build-win/ with Debian's
# mingw-w64 (cmake/mingw-w64.cmake): fennox-decode.exe, serial_tests.exe,
# settings_tests.exe and whatever else builds for Windows. Warnings are
# errors, as in the Linux build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DFENNOX_WERROR=ON >/dev/null
cmake --build build-win -j "$jobs"
