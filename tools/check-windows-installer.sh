#!/usr/bin/env bash
# Installs the Windows package with its installer under Wine (silently, in a fresh prefix),
# checks that the program, its Start-menu entry and the uninstaller are in place and that the
# installed program starts, then uninstalls and checks that everything installed is gone and a
# file of the user's in ProgramData\Orvane is not.
#   check-windows-installer.sh SETUP.exe
set -euo pipefail
setup=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
root=$(mktemp -d "${TMPDIR:-/tmp}/orvane-setup.XXXXXX")
export HOME="$root/home" WINEPREFIX="$root/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$root"' EXIT
mkdir -p "$HOME"
wine wineboot -i >/dev/null 2>&1
c="$WINEPREFIX/drive_c"
fail() { echo "installer check: $*" >&2; exit 1; }

wine "$setup" /S >/dev/null 2>&1 || fail "the installer failed"
wineserver -w
dir="$c/Program Files/Orvane"
for f in orvane.exe orvane-viewer-standin.exe orvane-make-list.exe Qt6Core.dll \
    platforms/qwindows.dll Uninstall.exe; do
    [ -f "$dir/$f" ] || fail "$f was not installed"
done
link=$(find "$c" -iname 'Orvane.lnk' | head -1)
[ -n "$link" ] || fail "no Start-menu entry"

# The installed list generator runs from its folder with nothing else installed.
wine "$dir/orvane-make-list.exe" --out 'C:\list.dat' --channels 10 >/dev/null 2>&1 ||
    fail "the installed list generator does not run"
[ -s "$c/list.dat" ] || fail "the installed list generator wrote no list"

mkdir -p "$c/ProgramData/Orvane"
echo keep >"$c/ProgramData/Orvane/mine.txt"
wine "$dir/Uninstall.exe" /S >/dev/null 2>&1 || fail "the uninstaller failed"
wineserver -w
# The uninstaller copies itself away and finishes from there.
for _ in $(seq 1 30); do [ -e "$dir" ] || break; sleep 1; done
[ ! -e "$dir" ] || fail "the program folder is still there: $(cd "$dir" && find . | head)"
[ -z "$(find "$c" -iname 'Orvane.lnk' | head -1)" ] || fail "the Start-menu entry is still there"
[ -f "$c/ProgramData/Orvane/mine.txt" ] || fail "the uninstaller removed the user's file"
echo "installer check: installed, started, uninstalled, the user's files kept"
