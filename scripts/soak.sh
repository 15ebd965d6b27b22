#!/usr/bin/env bash
# A soak run (not a test): the monitor receives fennox-sim at the device's
# full rate (19200 baud) for the given minutes with every display switch on,
# in an X server of its own. The monitor is built with the tick log
# (FENNOX_TICK_LOG), and the process's memory is sampled every 10 s. At the
# end it prints ticks per second, the slowest tick, memory at start and end,
# and Monitor log lines per minute.
#   bash scripts/soak.sh [MINUTES]   (default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo-lib.sh
minutes=${1:-10}

bash scripts/install-deps.sh
cmake -S . -B build-soak -G Ninja -DFENNOX_TICK_LOG=ON -DFENNOX_TESTS=OFF >/dev/null
cmake --build build-soak --target fennox fennox-sim -j "$(nproc)"

folder=$(mktemp -d)
cleanup() {
    kill "${monitor:-}" 2>/dev/null || true
    stop_simulator
    kill "${XVFB_PID:-}" 2>/dev/null || true
}
trap cleanup EXIT
start_xvfb

# The demo helpers use build/; this run uses the tick-logging build.
coproc FENNOX_SIM { exec build-soak/tools/fennox-sim --pty --seed 5; }
SIM_PID=$FENNOX_SIM_PID
read -r -t 10 SIM_PTY <&"${FENNOX_SIM[0]}"
cp build-soak/app/fennox "$folder/fennox"
printf '[SETTINGS]\r\nCOM-Port=5\r\nZeige_Zeit=1\r\nZeige_Bin=1\r\nZeige_Schaltbefehle=1\r\nNur_ON=0\r\nZeige_Lokbefehle_S=1\r\nZeige_Lokbefehle_F=1\r\nZeige_RailCom=1\r\nZeige_Idle=1\r\nZeige_Sonstiges=1\r\nZeige_CV=1\r\nDCC=1\r\n[Window]\r\nLeft=0\r\nTop=0\r\n[Ports]\r\nCOM5=%s\r\n' "$SIM_PTY" > "$folder/fennox.ini"
"$folder/fennox" >/dev/null 2>&1 &
monitor=$!
wait_for_monitor_window >/dev/null
sleep 0.5
xdotool mousemove --sync 236 114 click 1   # "Bitstream-Fenster"
sleep 0.3
xdotool mousemove --sync 212 134 click 1   # "Schrott-Daten"
sleep 0.3
xdotool mousemove --sync 84 346 click 1    # "Start"

rss() { awk '/^VmRSS/ { print $2 }' "/proc/$monitor/status"; }
samples=$folder/memory.txt
end=$((SECONDS + minutes * 60))
while [ $SECONDS -lt $end ]; do
    echo "$SECONDS $(rss)" >> "$samples"
    sleep 10
done
echo "$SECONDS $(rss)" >> "$samples"
xdotool mousemove --sync 84 373 click 1    # "Stop"
sleep 1

ticks=$folder/fennox-ticks.log
awk -v minutes="$minutes" '
    NR == 1 { firstLines = $3 }
    { n++; last = $1; lines = $3; if ($2 > slowest) { slowest = $2; at = $1 }
      if ($2 > 10000) over10++ ; total += $2 }
    END {
        printf "ticks            %d in %.1f s: %.1f per second (a 10 ms timer allows 100)\n", n, last / 1000, n / (last / 1000)
        printf "tick duration    mean %.0f us, slowest %d us (at %.1f s), %d ticks over 10 ms\n", total / n, slowest, at / 1000, over10
        printf "Monitor log      %d lines, %.0f lines per minute\n", lines, (lines - firstLines) / (last / 60000)
    }' "$ticks"
awk 'NR == 1 { first = $2 } { last = $2 } END { printf "memory (RSS)     %.1f MB at start, %.1f MB at end\n", first / 1024, last / 1024 }' "$samples"
echo "tick log: $ticks; memory samples: $samples"
