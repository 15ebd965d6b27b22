#!/usr/bin/env bash
# The soak run of the Windows program (not a test): Fennox.exe under wine, in
# an X server of its own, receives fennox-sim on COM5 (a pseudo-terminal lent
# to wine) at the device's full rate for the given minutes, with every display
# switch, the time stamp, the Bitstream log and "Schrott-Daten" on. Every
# minute it prints the memory (RSS) of Fennox.exe and the CPU that Fennox.exe
# and wineserver took in that minute; at the end the whole run's figures and a
# screenshot, and, as soak.sh, the ticks from the tick log (Fennox.exe is built
# with FENNOX_TICK_LOG in build-win-soak/). CPU is the scheduler's own count of
# all threads' time, as in soak.sh; under wine, wineserver does part of the
# program's work (every message and every read of the port goes through it)
# and is counted beside.
#   bash scripts/soak-windows.sh [--check] [MINUTES]   (default 10)
# --check: the time stamp is off, and at the end the Monitor log is saved
# ("speichern") and compared line by line with fennox-decode's output of the
# bytes the simulator sent, as in soak.sh.
# Needs the Linux build's simulator and fennox-decode (build/; scripts/start.sh or
# scripts/build-windows.sh makes it ready).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo-lib.sh
check=false
[ "${1:-}" = --check ] && { check=true; shift; }
minutes=${1:-10}

bash scripts/install-deps.sh
cmake --build build --target fennox-sim fennox-decode -j "$(nproc)" >/dev/null
cmake -S . -B build-win-soak -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DFENNOX_TICK_LOG=ON -DFENNOX_TESTS=OFF >/dev/null
cmake --build build-win-soak --target fennox -j "$(nproc)" >/dev/null

folder=$(mktemp -d)
# A prefix of its own: its server is this run's alone.
export WINEPREFIX=$folder/wineprefix WINEDEBUG=-all
cleanup() {
    wineserver -k 2>/dev/null || true
    stop_simulator
    kill "${XVFB_PID:-}" 2>/dev/null || true
    # The prefix's copy is large; the screenshot stays.
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
if [ -f build-win/wineprefix/system.reg ]; then
    cp -a build-win/wineprefix "$WINEPREFIX"
else
    wineboot -i >/dev/null 2>&1
fi
start_xvfb

coproc FENNOX_SIM { exec build/tools/fennox-sim --pty --seed 5 --tee "$folder/sent.bin"; }
SIM_PID=$FENNOX_SIM_PID
read -r -t 10 SIM_PTY <&"${FENNOX_SIM[0]}"
ln -sfn "$SIM_PTY" "$WINEPREFIX/dosdevices/com5"
cp build-win-soak/app/Fennox.exe "$folder/Fennox.exe"
time=1
$check && time=0
printf '[SETTINGS]\r\nCOM-Port=5\r\nZeige_Zeit=%s\r\nZeige_Bin=1\r\nZeige_Schaltbefehle=1\r\nNur_ON=0\r\nZeige_Lokbefehle_S=1\r\nZeige_Lokbefehle_F=1\r\nZeige_RailCom=1\r\nZeige_Idle=1\r\nZeige_Sonstiges=1\r\nZeige_CV=1\r\nDCC=1\r\n[Window]\r\nLeft=0\r\nTop=0\r\n' "$time" > "$folder/Fennox.ini"
(cd "$folder" && exec wine Fennox.exe >/dev/null 2>&1) &
window=$(wait_for_monitor_window) || { sleep 20; window=$(wait_for_monitor_window); }
sleep 2
read -r x y < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
# The switches before "Start", so that the saved log has every line.
xdotool mousemove --sync $((x + 217)) $((y + 114)) click 1   # "Bitstream-Fenster"
sleep 0.3
xdotool mousemove --sync $((x + 193)) $((y + 134)) click 1   # "Schrott-Daten"
sleep 0.3
xdotool mousemove --sync $((x + 84)) $((y + 346)) click 1    # "Start"
sleep 3

monitor=$(pgrep -x Fennox.exe | tail -n1)
server=$(pgrep -n wineserver)
echo "minute  RSS of Fennox.exe  CPU Fennox.exe  CPU wineserver"
firstRss=$(rss_kb "$monitor")
a0=$(cpu_ms "$monitor") b0=$(cpu_ms "$server")
startA=$a0 startB=$b0
printf '%6d  %12.1f MB\n' 0 "$(echo "$firstRss / 1024" | bc -l)"
for m in $(seq "$minutes"); do
    sleep 60
    a1=$(cpu_ms "$monitor") b1=$(cpu_ms "$server")
    printf '%6d  %12.1f MB  %12.2f %%  %12.2f %%\n' "$m" "$(echo "$(rss_kb "$monitor") / 1024" | bc -l)" \
        "$(echo "($a1 - $a0) / 600" | bc -l)" "$(echo "($b1 - $b0) / 600" | bc -l)"
    a0=$a1 b0=$b1
done
# Before "Stop": the save dialog's code, loaded for --check, is not the log's.
lastRss=$(rss_kb "$monitor")
import -window root "$folder/window.png"
xdotool mousemove --sync $((x + 84)) $((y + 373)) click 1   # "Stop"
sleep 1
# Wine shows the Linux folder as drive Z:.
$check && save_monitor_log "$x" "$y" "Z:${folder//\//\\}\\saved" "$folder/saved.txt"
awk -v a=$((a0 - startA)) -v b=$((b0 - startB)) -v m="$minutes" -v r0="$firstRss" -v r1="$lastRss" 'BEGIN {
    printf "memory (RSS)     %.1f MB at start, %.1f MB at end\n", r0 / 1024, r1 / 1024
    printf "CPU              Fennox.exe %.2f %%, wineserver %.2f %%, together %.2f %% of one CPU\n",
        a / 600 / m, b / 600 / m, (a + b) / 600 / m
}'
report_ticks "$folder/fennox-ticks.log"
echo "screenshot       $folder/window.png"
if $check; then
    stop_simulator
    # Saved in the Windows code page, whose ä, ö and ü are Latin-1's.
    tr -d '\r' < "$folder/saved.txt" | iconv -f LATIN1 -t UTF-8 > "$folder/saved-utf8.txt"
    check_saved_log "$folder/saved-utf8.txt" "$folder/sent.bin" build/tools/fennox-decode
fi
