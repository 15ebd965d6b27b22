#!/usr/bin/env bash
# Builds the decoder's libFuzzer target with clang and runs it for the given
# number of seconds (default 30) with ASan and UBSan. Any crash, sanitizer
# report or memory growth past the limit fails. The decoder and the libraries
# it needs are instrumented for coverage; the corpus grows in
# build-fuzz/corpus. Further arguments go to libFuzzer (-runs=N ...).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DFENNOX_FUZZ=ON -DFENNOX_SANITIZE=ON \
    -DFENNOX_TESTS=OFF -DFENNOX_GUI=OFF -DFENNOX_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target fennox-fuzz-decode -j "$(nproc)"

corpus=build-fuzz/corpus
mkdir -p "$corpus"
cp -n tests/decoder/fuzz-seeds/* "$corpus"/ 2>/dev/null || true
log=build-fuzz/fuzz.log
status=0
build-fuzz/tools/fennox-fuzz-decode "$corpus" -max_total_time="$seconds" -rss_limit_mb=512 \
    -max_len=8192 -print_final_stats=1 "${@:2}" >"$log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "fuzzing failed (exit $status); the input that failed is named above"
    exit "$status"
fi
# The last status line carries the coverage libFuzzer reached (cov: edges).
grep -E '^#[0-9]+' "$log" | tail -n 1
grep -E '^stat::' "$log"
