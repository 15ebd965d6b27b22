#!/usr/bin/env bash
# The Debian package as a user gets it. Builds it (scripts/package.sh),
# checks that it depends on runtime packages only, and runs the installation
# tests against it: as root (CI) it is installed with apt, tested in place
# and removed again; otherwise it is unpacked into a folder and tested there.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=$(bash scripts/package.sh | tail -n 1)
echo "package: $deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
if grep -q -- '-dev\b' <<<"$depends"; then
    echo "the package depends on a development package" >&2
    exit 1
fi
for needed in libqt6widgets6 qt6-translations-l10n fonts-dejavu-core; do
    grep -q "$needed" <<<"$depends" || { echo "missing dependency: $needed" >&2; exit 1; }
done

if [ "$(id -u)" -eq 0 ]; then
    was_installed=$(dpkg-query -W -f='${Status}' fennox 2>/dev/null || true)
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -qq "./$deb" >/dev/null
    if ! grep -q "install ok installed" <<<"$was_installed"; then
        trap 'apt-get remove -y -qq fennox >/dev/null' EXIT
    fi
    root=/
else
    root=build/package-root
    rm -rf "$root"
    dpkg-deb -x "$deb" "$root"
fi
FENNOX_INSTALL_ROOT="$root" build/tests/e2e/install_tests
FENNOX_INSTALL_ROOT="$root" FENNOX_E2E_WM=openbox build/tests/e2e/install_tests \
    --gtest_filter='*MonitorOfAUserWhoCannotWriteItsFolder*'
