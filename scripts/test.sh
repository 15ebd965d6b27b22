#!/usr/bin/env bash
# Runs every test: installs what is missing, builds with warnings as errors,
# runs the tests, runs them again under AddressSanitizer and
# UndefinedBehaviorSanitizer, checks formatting, and fuzzes the decoder for a
# bounded time (FENNOX_FUZZ_SECONDS, default 30).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)

echo "== build and test"
cmake -S . -B build -G Ninja -DFENNOX_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Debian package: built, installed and started"
bash scripts/test-package.sh

echo "== Windows build and its tests under wine"
bash scripts/test-windows.sh

echo "== sanitizer build (ASan + UBSan) and test"
# The window's tests run in the normal build; the sanitizers watch the rest.
cmake -S . -B build-sanitize -G Ninja -DFENNOX_WERROR=ON -DFENNOX_SANITIZE=ON \
    -DFENNOX_GUI=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -LE gui

echo "== formatting"
bash scripts/check-format.sh

echo "== fuzzing the decoder"
bash scripts/fuzz.sh "${FENNOX_FUZZ_SECONDS:-30}"

echo "== all tests passed"
