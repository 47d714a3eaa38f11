#!/usr/bin/env bash
# Checks the program's names against .clang-tidy.
#   tools/clang-tidy.sh BUILD_DIR [FILE...]
# BUILD_DIR is a configured build folder (its compile_commands.json gives each source's
# flags; nothing needs to be built). Without FILEs it checks every source of src/ and tools/
# that this platform compiles, and the project headers they include. Prints each finding once
# and exits with 1 when there is any.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: tools/clang-tidy.sh BUILD_DIR [FILE...]}
shift
build=$(cd "$build" && pwd)
[ -f "$build/compile_commands.json" ] || {
    echo "$build/compile_commands.json is missing: configure the build folder first" >&2
    exit 2
}
tidy=${CLANG_TIDY:-$(command -v clang-tidy || true)}
[ -n "$tidy" ] || {
    echo "clang-tidy is not installed (Debian package clang-tidy)" >&2
    exit 2
}

if [ $# -gt 0 ]; then
    files=("$@")
else
    # The sources the build knows, so that another platform's backends (*_win.cpp) and the
    # build's generated files are left out.
    mapfile -t files < <(grep -o '"file": "[^"]*"' "$build/compile_commands.json" |
        sed 's/^"file": "//; s/"$//' | grep -E "^$top/(src|tools)/" | sort -u)
fi
[ ${#files[@]} -gt 0 ] || {
    echo "no sources to check" >&2
    exit 2
}

jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
echo "clang-tidy: ${#files[@]} sources, $jobs at a time"
# A header is checked in every source that includes it: each finding is kept once.
status=0
printf '%s\n' "${files[@]}" |
    xargs -P "$jobs" -n 1 "$tidy" -p "$build" --quiet >"$out" 2>&1 || status=$?
findings=$(grep -E ': (warning|error): ' "$out" | sort -u || true)
if [ -n "$findings" ]; then
    echo "$findings"
    echo "clang-tidy: $(echo "$findings" | wc -l) findings"
    exit 1
fi
if [ $status -ne 0 ]; then
    # clang-tidy failed without a finding of its own: show what it said.
    cat "$out"
    exit 1
fi
echo "clang-tidy: no findings"
