#!/usr/bin/env bash
# Checks the manual pages: man and groff read each without a warning, and
# each tool's page names every option its --help text prints.
# Usage: check_man_pages.sh TOOLS_DIR   (the build's folder of fennox-decode,
# fennox-sim, fennox-stats and fennox-record)
set -uo pipefail

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 TOOLS_DIR" >&2
    exit 2
fi
tools=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
pages=(
    tools/man/fennox-decode.1
    tools/man/fennox-sim.1
    tools/man/fennox-stats.1
    tools/man/fennox-record.1
    app/qt/fennox.1
)
passed=0
failed=0

pass() {
    echo "ok: $1"
    passed=$((passed + 1))
}
fail() {
    echo "FAILED: $1"
    failed=$((failed + 1))
}

# Both programs exit 0 after a warning: what they write to standard error
# tells. quiet WHAT PAGE COMMAND...: passes when COMMAND exits 0 and says
# nothing on standard error.
quiet() {
    local what=$1 page=$2 out status
    shift 2
    out=$("$@" 2>&1 >/dev/null)
    status=$?
    if [ $status -eq 0 ] && [ -z "$out" ]; then
        pass "$what reads $page without warnings"
    else
        fail "$what on $page (status $status):"
        printf '%s\n' "$out"
    fi
}

for page in "${pages[@]}"; do
    file=$root/$page
    quiet man "$page" env LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$file"
    quiet groff "$page" groff -man -ww -z "$file"
done

# Every --option of a tool's --help text, as a word of its page set as plain
# text (lines so long that no option is broken or hyphenated).
for tool in fennox-decode fennox-sim fennox-stats fennox-record; do
    page=$root/tools/man/$tool.1
    if ! help=$("$tools/$tool" --help); then
        fail "$tool --help failed"
        continue
    fi
    options=$(grep -oE -- '--[a-z][a-z-]*[a-z]' <<<"$help" | sort -u)
    if [ -z "$options" ]; then
        fail "$tool --help names no option"
        continue
    fi
    text=$(groff -man -Tascii -P-cbou -rLL=10000n "$page" 2>/dev/null)
    missing=()
    for option in $options; do
        grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" <<<"$text" || missing+=("$option")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        pass "$tool.1 names all $(wc -w <<<"$options") options of $tool --help"
    else
        fail "$tool.1 lacks ${missing[*]}"
    fi
done

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
