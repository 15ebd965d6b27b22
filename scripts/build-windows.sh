#!/usr/bin/env bash
# Cross-builds the Windows programs and tests into build-win/ with Debian's
# mingw-w64 (cmake/mingw-w64.cmake): Fennox.exe, fennox-decode.exe,
# serial_tests.exe, settings_tests.exe and whatever else builds for Windows.
# Warnings are errors, as in the Linux build. Then gathers what a Windows
# user gets in build-win/dist/ and packs it into build-win/fennox-windows.zip:
# the programs and LIESMICH.txt, nothing to install.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DFENNOX_WERROR=ON >/dev/null
cmake --build build-win -j "$jobs"

# Only DLLs that every Windows has: no C++ runtime, libgcc or winpthread.
for exe in app/Fennox.exe tools/fennox-decode.exe tools/fennox-record.exe \
    tools/fennox-stats.exe; do
    foreign=$(x86_64-w64-mingw32-objdump -p "build-win/$exe" | sed -n 's/^\s*DLL Name: //p' |
        grep -viE '^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|uxtheme|msvcrt|advapi32|ws2_32|psapi)\.dll$' || true)
    if [ -n "$foreign" ]; then
        echo "build-win/$exe needs a DLL Windows does not ship: $foreign" >&2
        exit 1
    fi
done

rm -rf build-win/dist build-win/fennox-windows.zip
mkdir -p build-win/dist
cp build-win/app/Fennox.exe build-win/tools/fennox-decode.exe build-win/tools/fennox-record.exe \
    build-win/tools/fennox-stats.exe build-win/dist/
# CR LF, and a byte-order mark so that every Notepad reads the umlauts as
# UTF-8.
{ printf '\xEF\xBB\xBF'; sed 's/$/\r/' app/win32/LIESMICH.txt; } >build-win/dist/LIESMICH.txt
python3 - <<'PY'
import os, zipfile
with zipfile.ZipFile("build-win/fennox-windows.zip", "w", zipfile.ZIP_DEFLATED) as z:
    for name in sorted(os.listdir("build-win/dist")):
        z.write(os.path.join("build-win/dist", name), "Fennox/" + name)
PY
echo "build-win/fennox-windows.zip: $(ls build-win/dist | tr '\n' ' ')"
