#!/usr/bin/env bash
# Renders every SVG picture as PNGs for a Qt without SVG support, and writes their resource
# file. The sizes are those the program shows (16 in trees, menus and the status bar, 24 and
# 32 on tool bars, 48 and up for the program's icon) and twice each for high-DPI screens.
#   render-icons.sh RSVG_CONVERT SVG_FOLDER OUT_FOLDER
set -euo pipefail
rsvg=$1 svgs=$2 out=$3
sizes=(16 20 24 32 40 48 64)
app_sizes=(96 128 256)
mkdir -p "$out"
qrc="$out/icons.qrc.tmp"
{
    echo '<!DOCTYPE RCC>'
    echo '<RCC version="1.0">'
    echo '    <qresource prefix="/icons">'
    for svg in "$svgs"/*.svg; do
        name=$(basename "$svg" .svg)
        all=("${sizes[@]}")
        [ "$name" = AppIcon ] && all+=("${app_sizes[@]}")
        for size in "${all[@]}"; do
            "$rsvg" -w "$size" -h "$size" -o "$out/$name-$size.png" "$svg"
            echo "        <file>$name-$size.png</file>"
        done
    done
    echo '    </qresource>'
    echo '</RCC>'
} >"$qrc"
mv "$qrc" "$out/icons.qrc"
