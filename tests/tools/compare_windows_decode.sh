#!/usr/bin/env bash
# fennox-decode.exe under wine must write exactly the bytes fennox-decode
# writes on Linux: the same Monitor and Bitstream logs, UTF-8 with "\n" line
# ends, for the same streams, switches and fixed clock.
#     compare_windows_decode.sh LINUX_TOOLS_DIR FENNOX_DECODE_EXE
set -euo pipefail
linux_tools=$1
exe=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

all=time,binaer,bitstream,schrott,only_once,filter,schaltbefehle,nur_ON,lokbefehle_s
all=$all,lokbefehle_f,railcom,idle,sonstige,cv,mot,dcc_stream
dcc=time,binaer,bitstream,schrott,schaltbefehle,lokbefehle_s,lokbefehle_f,railcom,idle
dcc=$dcc,sonstige,cv,dcc_stream

"$linux_tools/fennox-sim" --seconds 30 --rate 0 --errors 1e-3 --out "$work/dcc.bin"
"$linux_tools/fennox-sim" --seconds 30 --rate 0 --errors 1e-3 --mode mot --out "$work/mot.bin"
head -c 200000 /dev/urandom >"$work/noise.bin"

failed=0
run() { # name stream on [extra options]
    local name=$1 stream=$2 on=$3
    shift 3
    "$linux_tools/fennox-decode" --on "$on" --clock 12:34:56.789 "$@" \
        --bitstream-out "$work/$name.linux.bits" "$stream" >"$work/$name.linux.txt"
    # The input through standard input on Windows, a file on Linux: both ways
    # must read raw bytes.
    wine "$exe" --on "$on" --clock 12:34:56.789 "$@" \
        --bitstream-out "$work/$name.win.bits" - <"$stream" >"$work/$name.win.txt"
    if cmp "$work/$name.linux.txt" "$work/$name.win.txt" &&
        cmp "$work/$name.linux.bits" "$work/$name.win.bits"; then
        echo "same: $name ($(wc -l <"$work/$name.linux.txt") Monitor lines, $(wc -l \
            <"$work/$name.linux.bits") Bitstream lines)"
    else
        echo "DIFFERENT: $name"
        failed=1
    fi
}
run dcc-all-switches "$work/dcc.bin" "$all" --min 3 --max 5000
run dcc-display "$work/dcc.bin" "$dcc"
run motorola "$work/mot.bin" "$all"
run noise "$work/noise.bin" "$dcc"
# The letters that take two bytes in UTF-8 must have been among the output.
if ! LC_ALL=C grep -q $'\xc3\xa4' "$work/dcc-display.linux.txt"; then
    echo "no \"ä\" in the DCC lines: the UTF-8 path went untested"
    failed=1
fi
exit $failed
