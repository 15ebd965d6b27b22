#!/usr/bin/env bash
# Takes the README's screenshot: the demo in an X server of its own (Xvfb),
# "Start" clicked, a few seconds of traffic, then a picture of the window.
#   bash scripts/screenshot.sh [OUTPUT.png]   (default docs/screenshot.png)
#   bash scripts/screenshot.sh --desktop [OUTPUT.png]   (default docs/panel.png)
#   bash scripts/screenshot.sh --analysis [OUTPUT.png]  (default docs/analysis.png)
# With --desktop the window runs under a window manager (openbox) and the
# picture is the left panel with the window's frame around it. With
# --analysis the simulator adds bit errors (1e-3), F2 opens the analysis
# window, the first locomotive's row is chosen, and the picture is of that
# window.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo-lib.sh
desktop=false
analysis=false
if [ "${1:-}" = "--desktop" ]; then
    desktop=true
    shift
elif [ "${1:-}" = "--analysis" ]; then
    analysis=true
    shift
fi
out=${1:-docs/screenshot.png}
$desktop && out=${1:-docs/panel.png}
$analysis && out=${1:-docs/analysis.png}

build_monitor
folder=$(mktemp -d)
cleanup() {
    kill "${monitor:-}" 2>/dev/null || true
    kill "${wm:-}" 2>/dev/null || true
    stop_simulator
    kill "${XVFB_PID:-}" 2>/dev/null || true
    rm -rf "$folder"
}
trap cleanup EXIT
start_xvfb
if $desktop; then
    openbox >/dev/null 2>&1 &
    wm=$!
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
fi

if $analysis; then
    start_simulator --seed 1 --errors 1e-3
else
    start_simulator --seed 1
fi
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
# The window's inside on the screen (under a window manager it lies within
# the frame).
read -r x y < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
xdotool mousemove --sync $((x + 84)) $((y + 346)) click 1   # "Start"
sleep 6
mkdir -p "$(dirname "$out")"
if $analysis; then
    xdotool key F2
    sleep 1
    analysisWindow=$(xdotool search --onlyvisible --name '^Analyse$' | head -n1)
    read -r ax ay < <(xwininfo -id "$analysisWindow" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
    # The first row of the locomotives' table (ArrangeAnalysis at 1040 x 720).
    xdotool mousemove --sync $((ax + 430)) $((ay + 150)) click 1
    sleep 8
    import -window "$analysisWindow" "$out"
elif $desktop; then
    # The panel (353 pixels) and the frame's left and top edges, title bar
    # included.
    import -window root -crop "$((353 + x))x$((560 + y))+0+0" "$out"
else
    import -window "$window" "$out"
fi
echo "screenshot: $out"
