#!/usr/bin/env bash
# Runs one test executable with HOME and the XDG folders in a fresh temporary folder, headless.
set -u
root=$(mktemp -d "${TMPDIR:-/tmp}/orvane-test.XXXXXX")
trap 'chmod -R u+w "$root" 2>/dev/null; rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/data" "$root/config" "$root/runtime" "$root/tmp"
chmod 700 "$root/runtime"
export HOME="$root/home" XDG_DATA_HOME="$root/data" XDG_CONFIG_HOME="$root/config"
export XDG_RUNTIME_DIR="$root/runtime" TMPDIR="$root/tmp"
export QT_QPA_PLATFORM=offscreen
here=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1}"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$@"
