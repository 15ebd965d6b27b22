#!/usr/bin/env bash
# Builds the Windows programs and tests (scripts/build-windows.sh) and runs
# them under wine, with no display (console programs need none):
# serial_tests.exe on a pseudo-terminal lent to wine as COM5 (and as COM12),
# win32_window_tests.exe (the window's native controls) and Fennox.exe itself
# in Xvfb (mouse, keyboard, the simulated device, 144 dots per inch),
# fennox-record.exe on the same, settings_tests.exe and window_logic_tests.exe,
# and fennox-decode.exe against the Linux fennox-decode on the same streams
# (needs the Linux build in build/).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-windows.sh

export WINEPREFIX="$PWD/build-win/wineprefix"
export WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== making the wine prefix"
    wineboot -i >/dev/null 2>&1
fi
# One server for every run, its output kept apart: it reports each hung-up
# pseudo-terminal (the unplugged device) with a dump of all its objects.
wineserver -k 2>/dev/null || true
wineserver -p >>build-win/wineserver.log 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT

echo "== Windows: serial link (under wine, COM5 on a pseudo-terminal)"
python3 tests/serial/win32/pty_host.py --port COM5 -- wine build-win/tests/serial/serial_tests.exe
echo "== Windows: a port above COM9 (COM12) through the choice Com5 mapped to it"
python3 tests/serial/win32/pty_host.py --port COM12 -- \
    wine build-win/tests/serial/serial_tests.exe --gtest_filter='ComLinkOnWinePort.*'

echo "== Windows: fennox-record.exe keeps every byte the device sends on COM5"
# In a console (script(1) lends a terminal, which gives wine one), where it
# shows its progress line.
(
    cd build-win
    head -c 20000 /dev/urandom >record-sent.bin
    script -qec "python3 ../tests/serial/win32/pty_host.py --port COM5 --feed record-sent.bin -- \
        wine tools/fennox-record.exe --seconds 5 COM5 record-kept.bin" record-console.txt \
        </dev/null >/dev/null
    cmp record-sent.bin record-kept.bin
    echo "same: 20000 bytes sent and kept"
    # The console draws the line with cursor moves between its words.
    progress=$(sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' record-console.txt | grep -ac 'bytes/s' || true)
    if [ "$progress" -lt 2 ]; then
        echo "no progress line in the console" >&2
        exit 1
    fi
    echo "progress lines in the console: $progress"
)

echo "== Windows: console text (script(1) lends a terminal, which gives wine a console)"
script -qec "wine build-win/tests/serial/serial_tests.exe --gtest_filter='ConsoleText.*' \
    >build-win/console-tests.log 2>&1" /dev/null </dev/null >/dev/null ||
    { cat build-win/console-tests.log; exit 1; }
if grep -q SKIPPED build-win/console-tests.log; then
    cat build-win/console-tests.log
    echo "the console test found no console" >&2
    exit 1
fi
grep '^\[  PASSED' build-win/console-tests.log

echo "== Windows: settings file and saved log (under wine)"
(cd build-win/tests/app && wine ./settings_tests.exe && wine ./window_logic_tests.exe)

echo "== Windows: fennox-decode.exe writes what fennox-decode writes"
bash tests/tools/compare_windows_decode.sh build/tools build-win/tools/fennox-decode.exe

# Root may write any folder: the test of a program folder its user may not
# write runs wine as "nobody", who needs a home and a wine prefix of its own.
# They are made for each run in a folder of their own under /tmp: nobody
# cannot reach anything in a clone that lies in a private folder (root's home
# is one).
if [ "$(id -u)" -eq 0 ]; then
    nobody_home=$(mktemp -d /tmp/fennox-nobody-XXXXXX)
    chmod 755 "$nobody_home"
    chown nobody: "$nobody_home"
    export FENNOX_WINE_USER_PREFIX="$nobody_home/wineprefix"
    as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups --
               env -C "$nobody_home" HOME="$nobody_home" WINEPREFIX="$FENNOX_WINE_USER_PREFIX")
    trap 'wineserver -k 2>/dev/null || true; "${as_nobody[@]}" wineserver -k 2>/dev/null || true
          "${as_nobody[@]}" wineserver -w 2>/dev/null || true; rm -rf "$nobody_home"' EXIT
    echo "== making a wine prefix for nobody"
    # wineboot's status tells nothing: without 32-bit wine it fails on the
    # syswow64 programs and the prefix is whole all the same.
    # The registry is written when the wine server ends.
    "${as_nobody[@]}" wineboot -i >build-win/nobody-wineboot.log 2>&1 || true
    "${as_nobody[@]}" wineserver -w 2>/dev/null || true
    if [ ! -f "$FENNOX_WINE_USER_PREFIX/system.reg" ]; then
        tail -n 20 build-win/nobody-wineboot.log
        echo "nobody's wine prefix could not be made in $nobody_home" >&2
        exit 1
    fi
fi

# A wine server started by the programs above has its desktop without any X
# display; windows made under it never reach the test's X server. Each
# window test gets a server of its own, started by its first program.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
echo "== Windows: the window's native controls (under wine, in an X server of its own)"
(cd build-win/tests/app/win32 &&
    xvfb-run -a -s "-screen 0 1600x1200x24" wine ./win32_window_tests.exe)
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

echo "== Windows: Fennox.exe under wine in an X server of its own, fed by fennox-sim"
# The program as a Windows user gets it: from the zip.
rm -rf build-win/unzipped
python3 -m zipfile -e build-win/fennox-windows.zip build-win/unzipped
FENNOX_EXE="$PWD/build-win/unzipped/Fennox/Fennox.exe" build/tests/e2e/wine_e2e_tests
