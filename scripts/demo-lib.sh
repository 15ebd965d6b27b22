# Shared by start.sh, screenshot.sh and the soak runs: the simulated device on
# a pseudo-terminal, a program folder of the monitor's own whose settings
# file points "Com5" at it, and the soak runs' reports. Source it; it defines
# functions only.

# start_simulator [fennox-sim options...]: starts fennox-sim on a new
# pseudo-terminal; sets SIM_PID and SIM_PTY.
start_simulator() {
    coproc FENNOX_SIM { exec build/tools/fennox-sim --pty "$@"; }
    SIM_PID=$FENNOX_SIM_PID
    if ! read -r -t 10 SIM_PTY <&"${FENNOX_SIM[0]}" || [ -z "$SIM_PTY" ]; then
        echo "fennox-sim did not start" >&2
        return 1
    fi
}

stop_simulator() {
    [ -n "${SIM_PID:-}" ] && kill "$SIM_PID" 2>/dev/null || true
    wait "${SIM_PID:-}" 2>/dev/null || true
    SIM_PID=
}

# prepare_demo_folder DIR PTY [SETTINGS_TEXT]: copies the monitor into DIR
# (its settings file lives beside it, so the user's own settings stay
# untouched). A settings file there is kept, with only its [Ports] section
# renewed; without one, SETTINGS_TEXT (or a useful default) is written.
prepare_demo_folder() {
    local dir=$1 pty=$2 settings=${3:-}
    mkdir -p "$dir"
    cp build/app/fennox "$dir/fennox"
    local ini=$dir/fennox.ini
    if [ ! -f "$ini" ]; then
        if [ -z "$settings" ]; then
            settings='[SETTINGS]
COM-Port=5
Zeige_Zeit=1
Zeige_Schaltbefehle=1
Zeige_Lokbefehle_S=1
Zeige_Lokbefehle_F=1
Zeige_RailCom=1
Zeige_CV=1
Only_Once=1
DCC=1
'
        fi
        printf '%s' "$settings" | sed 's/$/\r/' > "$ini"
    fi
    # Drop the old [Ports] section, then name this run's pseudo-terminal.
    sed 's/\r$//' "$ini" | awk '/^\[/ { skip = ($0 == "[Ports]") } !skip' | sed 's/$/\r/' > "$ini.new"
    printf '[Ports]\r\nCOM5=%s\r\n\r\n' "$pty" >> "$ini.new"
    mv "$ini.new" "$ini"
}

# start_xvfb: an X server of its own on a free display; sets XVFB_PID and
# exports DISPLAY.
start_xvfb() {
    local n
    for n in $(seq $((90 + RANDOM % 100)) 250); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "Xvfb did not start" >&2
    return 1
}

# wait_for_monitor_window: the id of the monitor's window once it shows.
wait_for_monitor_window() {
    local window
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name '^Fennox V1.18$' 2>/dev/null | head -n1 || true)
        [ -n "$window" ] && { echo "$window"; return 0; }
        sleep 0.1
    done
    echo "the monitor's window did not appear" >&2
    return 1
}

build_monitor() {
    bash scripts/install-deps.sh
    cmake -S . -B build -G Ninja >/dev/null
    cmake --build build --target fennox fennox-sim -j "$(nproc)"
}

# cpu_ms PID: milliseconds the process has been on a CPU, all its threads, as
# the scheduler counts them: the tick counts of /proc/PID/stat only sample,
# and a window that wakes every 10 ms can fall between the samples.
cpu_ms() { cat "/proc/$1/task/"*/schedstat | awk '{ s += $1 } END { printf "%d", s / 1e6 }'; }

# rss_kb PID: the process's resident memory in kB.
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }

# report_ticks TICKS: the tick log of a soak run (a build with
# FENNOX_TICK_LOG): ticks per second, the mean and slowest tick, and the
# Monitor log's lines per minute.
report_ticks() {
    awk '
        NR == 1 { firstLines = $3 }
        { n++; last = $1; lines = $3; if ($2 > slowest) { slowest = $2; at = $1 }
          if ($2 > 10000) {
              over10++
              # Where the time went: reading the port, decoding, the gauge.
              if (NF >= 6 && $6 >= 0)
                  slow = slow sprintf("  over 10 ms at %.1f s: %d us: read %d, decode %d, gauge %d, rest %d\n", $1 / 1000, $2, $4, $5 - $4, $6 - $5, $2 - $6)
          }
          total += $2 }
        END {
            printf "ticks            %d in %.1f s: %.1f per second (a 10 ms timer allows 100)\n", n, last / 1000, n / (last / 1000)
            printf "tick duration    mean %.0f us, slowest %d us (at %.1f s), %d ticks over 10 ms\n", total / n, slowest, at / 1000, over10
            printf "%s", slow
            printf "Monitor log      %d lines, %.0f lines per minute\n", lines, (lines - firstLines) / (last / 60000)
        }' "$1"
}

# save_monitor_log X Y NAME FILE: "speichern" of the monitor whose window's
# inside starts at X, Y on the screen; NAME goes into the save dialog's file
# name field, which has the focus. Returns once FILE is there.
save_monitor_log() {
    local x=$1 y=$2 name=$3 file=$4 dialog=
    xdotool mousemove --sync $((x + 123)) $((y + 276)) click 1
    for _ in $(seq 100); do
        dialog=$(xdotool search --onlyvisible --name '^Aufzeichnung speichern$' 2>/dev/null | head -n1 || true)
        [ -n "$dialog" ] && break
        sleep 0.1
    done
    xdotool windowfocus --sync "$dialog"
    sleep 0.5
    xdotool key ctrl+a
    xdotool type --delay 20 "$name"
    xdotool key Return
    for _ in $(seq 600); do
        [ -f "$file" ] && break
        sleep 0.1
    done
}

# check_saved_log SAVED SENT DECODE: SAVED is the Monitor log a soak run saved
# with the time stamp off (UTF-8, one line per line): "COM5 geöffnet", the
# decoded lines, "COM geschlossen", "Empfang gestoppt". Its decoded lines must
# be the first lines of what DECODE (fennox-decode) makes of SENT, every byte
# the simulator sent: what the window never decoded (the bytes left in the
# port and in its receive buffer at Stop) comes after them.
check_saved_log() {
    local saved=$1 sent=$2 decode=$3 dir
    dir=$(dirname "$saved")
    "$decode" --on binaer,schaltbefehle,lokbefehle_s,lokbefehle_f,railcom,idle,sonstige,cv,dcc_stream,bitstream,schrott \
        "$sent" > "$dir/decoded.txt"
    sed '1d' "$saved" | head -n -2 > "$dir/window.txt"
    local shown
    shown=$(wc -l < "$dir/window.txt")
    if [ "$shown" -gt 0 ] && head -n "$shown" "$dir/decoded.txt" | cmp -s - "$dir/window.txt"; then
        echo "saved log        $shown lines, equal line for line to fennox-decode's first $shown of $(wc -l < "$dir/decoded.txt")"
    else
        echo "saved log        DIFFERS from fennox-decode's output (or is empty):"
        diff <(head -n "$shown" "$dir/decoded.txt") "$dir/window.txt" | head -20
        return 1
    fi
}
