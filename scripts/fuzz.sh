#!/usr/bin/env bash
# Builds the decoder's libFuzzer target with clang and runs it for the given
# number of seconds (default 30) with ASan and UBSan. Any crash, sanitizer
# report or memory growth past the limit fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DFENNOX_FUZZ=ON -DFENNOX_SANITIZE=ON \
    -DFENNOX_TESTS=OFF -DFENNOX_GUI=OFF -DFENNOX_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target fennox-fuzz-decode -j "$(nproc)"

corpus=build-fuzz/corpus
mkdir -p "$corpus"
cp -n tests/decoder/fuzz-seeds/* "$corpus"/ 2>/dev/null || true
build-fuzz/tools/fennox-fuzz-decode "$corpus" -max_total_time="$seconds" -rss_limit_mb=512 \
    -max_len=8192 -print_final_stats=1 2>&1 | tail -n 12
