#!/usr/bin/env bash
# The desktop entry passes desktop-file-validate without an error, a warning
# or a hint. The validator exits 0 after warnings and hints, so what it
# prints tells.
# Usage: check_desktop_entry.sh FILE
set -uo pipefail
out=$(desktop-file-validate "$1" 2>&1)
status=$?
if [ $status -ne 0 ] || [ -n "$out" ]; then
    printf '%s\n' "$out"
    echo "0 passed, 1 failed"
    exit 1
fi
echo "desktop-file-validate: $1 has no errors, warnings or hints"
echo "1 passed, 0 failed"
