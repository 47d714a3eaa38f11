#!/usr/bin/env bash
# Installs a build with cmake --install into a scratch folder, under a prefix no package uses,
# and checks the result (check-installed-tree.sh). Nothing may land outside the prefix.
#   check-install.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1 app_id=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orvane-install.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
prefix=/opt/orvane-test
DESTDIR="$scratch/root" cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" ||
    { cat "$scratch/install.log" >&2; exit 1; }
outside=$(cd "$scratch/root" && find . -type f ! -path ".$prefix/*")
if [ -n "$outside" ]; then
    echo "FAIL: installed outside $prefix: $outside" >&2
    exit 1
fi
"$here/check-installed-tree.sh" "$scratch/root" "$prefix" "$app_id"
