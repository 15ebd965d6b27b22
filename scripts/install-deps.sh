#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent and
# quiet when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build   # compiler and build
    libgtest-dev                        # unit tests
    clang libclang-rt-14-dev            # libFuzzer and its sanitizer runtime
    clang-format                        # formatting check
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
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
