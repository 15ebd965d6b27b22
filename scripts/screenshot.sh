#!/usr/bin/env bash
# Takes the README's screenshot: the demo in an X server of its own (Xvfb),
# "Start" clicked, a few seconds of traffic, then a picture of the window.
#   bash scripts/screenshot.sh [OUTPUT.png]   (default docs/screenshot.png)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo-lib.sh
out=${1:-docs/screenshot.png}

build_monitor
folder=$(mktemp -d)
cleanup() {
    kill "${monitor:-}" 2>/dev/null || true
    stop_simulator
    kill "${XVFB_PID:-}" 2>/dev/null || true
    rm -rf "$folder"
}
trap cleanup EXIT
start_xvfb

start_simulator --seed 1
prepare_demo_folder "$folder" "$SIM_PTY" '[SETTINGS]
COM-Port=5
Zeige_Zeit=1
Zeige_Bin=1
Zeige_Schaltbefehle=1
Zeige_Lokbefehle_S=1
Zeige_Lokbefehle_F=1
Zeige_RailCom=1
Zeige_CV=1
DCC=1
[Window]
Left=0
Top=0
Width=1200
'
"$folder/fennox" >/dev/null 2>&1 &
monitor=$!
window=$(wait_for_monitor_window)
sleep 0.5
xdotool mousemove --sync 84 346 click 1   # "Start"
sleep 6
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "screenshot: $out"
