#!/usr/bin/env bash
# Builds the decoder's two libFuzzer targets with clang and runs each for half
# the given number of seconds (default 30 in all) with ASan and UBSan:
# fennox-fuzz-decode (any crash, sanitizer report or memory growth past the
# limit fails) and fennox-fuzz-differential (today's decoder against the plain
# reference in tests/decoder/differential; any difference fails, shown as the
# first differing line). The decoder and the libraries it needs are
# instrumented for coverage; the corpora grow in build-fuzz/corpus and
# build-fuzz/corpus-differential. Further arguments go to libFuzzer
# (-runs=N ...).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DFENNOX_FUZZ=ON -DFENNOX_SANITIZE=ON \
    -DFENNOX_TESTS=OFF -DFENNOX_GUI=OFF -DFENNOX_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target fennox-fuzz-decode fennox-fuzz-differential -j "$(nproc)"

# fuzz TARGET CORPUS SECONDS [libFuzzer arguments...]
fuzz() {
    local target=$1 corpus=$2 time=$3
    shift 3
    mkdir -p "$corpus"
    cp -n tests/decoder/fuzz-seeds/* "$corpus"/ 2>/dev/null || true
    local log="build-fuzz/$target.log" status=0
    echo "-- $target, $time s"
    "build-fuzz/tools/$target" "$corpus" -max_total_time="$time" -rss_limit_mb=512 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="build-fuzz/$target-" "$@" \
        >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "fuzzing $target failed (exit $status); the input that failed is named above"
        exit "$status"
    fi
    # The last status line carries the coverage libFuzzer reached (cov: edges).
    grep -E '^#[0-9]+' "$log" | tail -n 1
    grep -E '^stat::' "$log"
}

half=$(((seconds + 1) / 2))
fuzz fennox-fuzz-decode build-fuzz/corpus "$half" "${@:2}"
fuzz fennox-fuzz-differential build-fuzz/corpus-differential "$half" "${@:2}"
