# Shared by start.sh, screenshot.sh and soak.sh: the simulated device on a
# pseudo-terminal and a program folder of the monitor's own whose settings
# file points "Com5" at it. Source it; it defines functions only.

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
