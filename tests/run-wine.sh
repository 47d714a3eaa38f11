#!/usr/bin/env bash
# Runs one test executable of the Windows build under Wine, headless, in a fresh Wine prefix:
# a copy of a template prefix made once per build folder, so that no test sees another's
# ProgramData\Orvane, registry or running programs.
#   ORVANE_WINE_DLL_DIRS=DIR:DIR ORVANE_WINE_PLUGIN_DIR=DIR run-wine.sh TEST.exe [ARGS...]
# (the folders of the Qt and compiler run-time DLLs and of Qt's plugins, as Linux paths)
set -u
build=${ORVANE_BINARY_DIR:?}
template="$build/wine-template"
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

# Z: is the root of the Linux file system in every Wine prefix.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# Wine links the prefix's Documents and Desktop to folders of $HOME: a home of the test's own
# keeps every file a test writes away from the user's.
(
    flock 9
    if [ ! -f "$template/system.reg" ]; then
        rm -rf "$template"
        home=$(mktemp -d "${TMPDIR:-/tmp}/orvane-wine-home.XXXXXX")
        HOME="$home" WINEPREFIX="$template" wine wineboot -i >/dev/null 2>&1
        HOME="$home" WINEPREFIX="$template" wineserver -w
        rm -rf "$home"
    fi
) 9>"$build/wine-template.lock"

root=$(mktemp -d "${TMPDIR:-/tmp}/orvane-wine.XXXXXX")
mkdir -p "$root/home"
export HOME="$root/home"
# The Windows program keeps its files where Windows says (ProgramData, the user's temporary
# folder), never in the folders these name.
unset XDG_RUNTIME_DIR XDG_DATA_HOME XDG_CONFIG_HOME
cleanup() {
    WINEPREFIX="$root/prefix" wineserver -k >/dev/null 2>&1
    rm -rf "$root"
}
trap cleanup EXIT
cp -a "$template" "$root/prefix"
export WINEPREFIX="$root/prefix"
dll_path=""
IFS=: read -r -a dll_dirs <<<"${ORVANE_WINE_DLL_DIRS:-}"
for dir in "${dll_dirs[@]}"; do dll_path+="$(winpath "$dir");"; done
export WINEPATH="$dll_path"
export QT_PLUGIN_PATH="$(winpath "${ORVANE_WINE_PLUGIN_DIR:-/}")"
# The tests find the source and build folders through these; Windows paths for Windows code.
export ORVANE_SOURCE_DIR="$(winpath "${ORVANE_SOURCE_DIR:?}")"
export ORVANE_BINARY_DIR="$(winpath "$build")"
# What a Qt test prints does not reach the pipe CTest reads under Wine: the log goes to a file
# and is shown from there.
log="$root/test.log"
: >"$log"
# Windows' own window platform, drawn by Wine on a virtual X display of the test's own: under
# Wine, modal windows and window activation work there and not on the offscreen platform.
export QT_QPA_PLATFORM=windows ORVANE_EXPECT_QPA=windows
# The prefix is this run's alone: tests may clear the program's data folder in it.
export ORVANE_FRESH_WINE_PREFIX=1
xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@" -o "$(winpath "$log"),txt"
status=$?
cat "$log"
exit $status
