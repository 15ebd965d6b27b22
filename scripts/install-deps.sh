#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent and
# quiet when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build   # compiler and build
    libgtest-dev                        # unit tests
    zlib1g-dev libz-mingw-w64-dev       # the logs' compressed blocks (Linux, Windows)
    clang libclang-rt-14-dev            # libFuzzer and its sanitizer runtime
    clang-format                        # formatting check
    python3                             # the decoder's differential test
    qt6-base-dev                        # the window (Qt 6 Widgets)
    qt6-translations-l10n               # Qt's own dialogs and buttons in German
    fonts-dejavu-core fonts-dejavu-extra  # fonts of the window; Condensed fits the panel
    xvfb xdotool imagemagick libx11-dev   # end-to-end tests: X server, clicks, screenshots
    xauth                               # xvfb-run (the Windows window's tests)
    xclip                               # end-to-end tests: what the analysis window copied
    openbox x11-utils                   # end-to-end tests under a window manager; xprop, xwininfo
    dpkg-dev desktop-file-utils         # the Debian package (dpkg-shlibdeps) and its desktop entry's check
    man-db groff-base                   # the manual pages' check
    g++-mingw-w64-x86-64-posix          # the Windows build (cross compiler, posix threads)
    googletest                          # GoogleTest sources, built for the Windows tests
    wine wine64                         # the Windows tests (wine: the wine, wineboot commands)
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# A failed index update (no network, a signature check that cannot run) is
# not fatal: the cached lists may still name every package.
"${sudo_cmd[@]}" apt-get update -qq || echo "apt-get update failed; trying with the cached package lists"
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
