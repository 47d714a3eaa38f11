#!/usr/bin/env bash
# Checks an installed Orvane under ROOT (a scratch folder standing in for /) at PREFIX: every
# file in its place, the menu entry and AppStream data accepted by the desktops' validators,
# the icon at each size, and the installed program seeding the user's program data folder
# with the help pages it was installed with.
#   check-installed-tree.sh ROOT PREFIX APP_ID [PLUGINS_FILE]
# With PLUGINS_FILE, the Qt plugins the started program had loaded are listed there, one path a
# line.
set -euo pipefail
root=$1 prefix=$2 app_id=$3 plugins_file=${4:-}
top=$root$prefix
share=$top/share
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null ||
        { echo "FAIL: $tool is missing (Debian: desktop-file-utils, appstream)" >&2; exit 1; }
done

for program in orvane orvane-viewer-standin orvane-make-list; do
    [ -x "$top/bin/$program" ] || fail "$prefix/bin/$program is not installed"
done
pages=(HappyMan CodePage CheckUncheck Restore Settings Main IPTV2Xepg)
for page in "${pages[@]}"; do
    [ -s "$share/orvane/Language/English/$page.rtf" ] ||
        fail "help page $page.rtf is not in $prefix/share/orvane/Language/English"
done

desktop=$share/applications/$app_id.desktop
metainfo=$share/metainfo/$app_id.metainfo.xml
[ -f "$desktop" ] || fail "no menu entry $desktop"
[ -f "$metainfo" ] || fail "no AppStream data $metainfo"
if [ -f "$desktop" ]; then
    # Warnings and hints count: a menu entry the validator has anything to say about is wrong.
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$top/bin/${exec_line%% *}" ] ||
        fail "the menu entry starts '$exec_line', which is not an installed program"
    grep -qx "Icon=$app_id" "$desktop" || fail "the menu entry does not name the icon $app_id"
    grep -Eq '^Categories=(.*;)?AudioVideo;' "$desktop" || fail "menu entry not in AudioVideo"
    grep -Eq '^Categories=(.*;)?TV;' "$desktop" || fail "menu entry not in TV"
fi
if [ -f "$metainfo" ]; then
    out=$(appstreamcli validate --no-net --strict "$metainfo" 2>&1) ||
        fail "appstreamcli validate: $out"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the AppStream data does not launch $app_id.desktop"
fi

# The icon: scalable, and PNGs whose header gives the size their folder names.
[ -s "$share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$app_id.png
    if [ ! -s "$png" ]; then
        fail "no ${size}x${size} icon"
        continue
    fi
    magic=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    [ "$magic" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
    width=$(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4))
    height=$(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4))
    [ "$width" = "$size" ] && [ "$height" = "$size" ] ||
        fail "$png is ${width}x$height, not ${size}x$size"
done

# The installed program, started as a user would on a first start, with a home of its own:
# it must seed its program data folder from the pages installed beside it. One installed page
# is changed first, so that a copy of the pages built into the program cannot pass for it.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orvane-installed.XXXXXX")
program=""
cleanup() {
    if [ -n "$program" ]; then
        kill "$program" 2>/dev/null || true
        wait "$program" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/home" "$scratch/data" "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
installed=$share/orvane/Language/English
if [ -f "$installed/Main.rtf" ] && [ -x "$top/bin/orvane" ]; then
    printf '\n' >>"$installed/Main.rtf"
    # Started from a folder where no help pages are, so that only its own place can find them.
    (cd "$scratch" && HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" \
        XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" \
        QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 exec "$top/bin/orvane") \
        2>"$scratch/program.log" &
    program=$!
    seeded=$scratch/data/Orvane/Language/English
    for _ in $(seq 300); do
        all=1
        for page in "${pages[@]}"; do
            [ -f "$seeded/$page.rtf" ] || all=0
        done
        [ $all = 1 ] && break
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    for page in "${pages[@]}"; do
        if [ ! -f "$seeded/$page.rtf" ]; then
            fail "the installed program did not seed $page.rtf into its program data folder"
        elif ! cmp -s "$seeded/$page.rtf" "$installed/$page.rtf"; then
            fail "the seeded $page.rtf is not the installed one"
        fi
    done
    # On a first start it then waits for the user to answer its question about the viewer.
    if kill -0 "$program" 2>/dev/null; then
        # By now its main window is made, icons and all.
        if [ -n "$plugins_file" ]; then
            awk '$6 ~ /\/plugins\/.*\.so$/ { print $6 }' "/proc/$program/maps" | sort -u \
                >"$plugins_file"
        fi
    else
        fail "the installed program ended on its first start"
    fi
fi

if [ $failures -gt 0 ]; then
    if [ -s "$scratch/program.log" ]; then
        echo "The program said:" >&2
        cat "$scratch/program.log" >&2
    fi
    echo "$failures check(s) failed on the installation in $root$prefix" >&2
    exit 1
fi
echo "The installation in $prefix is complete and valid, and its program finds its help pages"
