#!/usr/bin/env bash
# A soak run (not a test): the monitor receives fennox-sim at the device's
# full rate (19200 baud) for the given minutes with every display switch on,
# in an X server of its own. The monitor is built with the tick log
# (FENNOX_TICK_LOG), and the process's memory is sampled every 10 s. At the
# end it prints ticks per second, the slowest tick, memory at start and end,
# Monitor log lines per minute and the window's share of one CPU.
#   bash scripts/soak.sh [--errors RATE] [--analysis] [MINUTES]   (default 10)
# --errors: the simulator flips track bits with this chance (as its option).
# --analysis: the analysis window is opened with F2 right after "Start" and
# stays open; at the end its "Kopieren" is compared with fennox-stats --json
# of the same bytes (what the simulator sent, kept with --tee).
# --check: the time stamp is off, and at the end the Monitor log is saved
# ("speichern") and compared line by line with fennox-decode's output of the
# bytes the simulator sent: every line must be there, none changed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo-lib.sh
errors=0
analysis=false
check=false
while [ $# -gt 0 ]; do
    case $1 in
    --errors) errors=$2; shift 2 ;;
    --analysis) analysis=true; shift ;;
    --check) check=true; shift ;;
    *) break ;;
    esac
done
minutes=${1:-10}

bash scripts/install-deps.sh
cmake -S . -B build-soak -G Ninja -DFENNOX_TICK_LOG=ON -DFENNOX_TESTS=OFF >/dev/null
cmake --build build-soak --target fennox fennox-sim fennox-stats fennox-decode -j "$(nproc)"

folder=$(mktemp -d)
cleanup() {
    kill "${monitor:-}" 2>/dev/null || true
    stop_simulator
    kill "${XVFB_PID:-}" 2>/dev/null || true
}
trap cleanup EXIT
start_xvfb

# The demo helpers use build/; this run uses the tick-logging build.
coproc FENNOX_SIM { exec build-soak/tools/fennox-sim --pty --seed 5 --errors "$errors" --tee "$folder/sent.bin"; }
SIM_PID=$FENNOX_SIM_PID
read -r -t 10 SIM_PTY <&"${FENNOX_SIM[0]}"
cp build-soak/app/fennox "$folder/fennox"
time=1
$check && time=0
printf '[SETTINGS]\r\nCOM-Port=5\r\nZeige_Zeit=%s\r\nZeige_Bin=1\r\nZeige_Schaltbefehle=1\r\nNur_ON=0\r\nZeige_Lokbefehle_S=1\r\nZeige_Lokbefehle_F=1\r\nZeige_RailCom=1\r\nZeige_Idle=1\r\nZeige_Sonstiges=1\r\nZeige_CV=1\r\nDCC=1\r\n[Window]\r\nLeft=0\r\nTop=0\r\n[Ports]\r\nCOM5=%s\r\n' "$time" "$SIM_PTY" > "$folder/fennox.ini"
"$folder/fennox" >/dev/null 2>&1 &
monitor=$!
wait_for_monitor_window >/dev/null
sleep 0.5
xdotool mousemove --sync 236 114 click 1   # "Bitstream-Fenster"
sleep 0.3
xdotool mousemove --sync 212 134 click 1   # "Schrott-Daten"
sleep 0.3
xdotool mousemove --sync 84 346 click 1    # "Start"
if $analysis; then
    sleep 0.5
    xdotool key F2
    for _ in $(seq 50); do
        window=$(xdotool search --onlyvisible --name '^Analyse$' 2>/dev/null | head -n1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
fi
cpuStart=$(cpu_ms "$monitor")
wallStart=$SECONDS

samples=$folder/memory.txt
end=$((SECONDS + minutes * 60))
while [ $SECONDS -lt $end ]; do
    echo "$SECONDS $(rss_kb "$monitor")" >> "$samples"
    sleep 10
done
echo "$SECONDS $(rss_kb "$monitor")" >> "$samples"
cpuEnd=$(cpu_ms "$monitor")
wallEnd=$SECONDS
if $analysis; then
    read -r ax ay < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
    xdotool mousemove --sync $((ax + 169)) $((ay + 20)) click 1   # "Kopieren"
    sleep 0.5
    xclip -o -selection clipboard > "$folder/window.json"
    import -window "$window" "$folder/analysis.png"
fi
xdotool mousemove --sync 84 373 click 1    # "Stop"
sleep 1
$check && save_monitor_log 0 0 "$folder/saved" "$folder/saved.txt"

report_ticks "$folder/fennox-ticks.log"
awk 'NR == 1 { first = $2 } { last = $2 } END { printf "memory (RSS)     %.1f MB at start, %.1f MB at end\n", first / 1024, last / 1024 }' "$samples"
awk -v c=$((cpuEnd - cpuStart)) -v s=$((wallEnd - wallStart)) \
    'BEGIN { printf "CPU              %.1f s in %d s: %.2f %% of one CPU\n", c / 1000, s, c / 10 / s }'
if $analysis; then
    # The bytes the window had received when "Kopieren" was pressed are the
    # first ones the simulator sent.
    bytes=$(sed -n 's/.*"bytes":\([0-9]*\).*/\1/p' "$folder/window.json")
    head -c "$bytes" "$folder/sent.bin" > "$folder/received.bin"
    build-soak/tools/fennox-stats --json "$folder/received.bin" |
        sed "s|\"input\":\"[^\"]*\"|\"input\":\"COM5\"|" > "$folder/fennox-stats.json"
    build-soak/tools/fennox-stats "$folder/received.bin" > "$folder/fennox-stats.txt"
    python3 - "$folder/window.json" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
locos = [l for l in d["locomotives"] if l["packets"] > l["checksum_errors"]]
print("analysis window  %d bytes, %d packets, %d checksum failures (%.2f %%), %d locomotives, "
      "packets per second mean %.1f max %d" % (d["bytes"], d["packets"], d["checksum_errors"],
      100.0 * d["checksum_errors"] / max(d["packets"], 1), len(locos),
      d["packets_per_second"]["mean"], d["packets_per_second"]["max"]))
PY
    if cmp -s "$folder/window.json" "$folder/fennox-stats.json"; then
        echo "fennox-stats     the same JSON for the same $bytes bytes"
    else
        echo "fennox-stats     DIFFERS for the same $bytes bytes:"
        diff <(tr ',' '\n' < "$folder/window.json") <(tr ',' '\n' < "$folder/fennox-stats.json") | head -20
    fi
    echo "analysis: $folder/window.json, $folder/fennox-stats.txt, $folder/analysis.png"
fi
echo "tick log: $folder/fennox-ticks.log; memory samples: $samples"
if $check; then
    stop_simulator
    tr -d '\r' < "$folder/saved.txt" > "$folder/saved-utf8.txt"
    check_saved_log "$folder/saved-utf8.txt" "$folder/sent.bin" build-soak/tools/fennox-decode
fi
