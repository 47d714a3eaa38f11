#!/usr/bin/env bash
# Checks Orvane's Debian package: its fields, that its dependencies cover every library its
# programs link, and, unpacked into a scratch root (never into the system), the installation
# itself (check-installed-tree.sh).
#   check-deb.sh BUILD_DIR APP_ID      makes the package from the build first (cpack)
#   check-deb.sh --deb FILE APP_ID     checks the package given
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orvane-deb.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
if [ "$1" = --deb ]; then
    deb=$2 app_id=$3
else
    build=$1 app_id=$2
    for tool in dpkg-deb dpkg-shlibdeps; do
        command -v "$tool" >/dev/null ||
            { echo "FAIL: $tool is missing (Debian: dpkg-dev)" >&2; exit 1; }
    done
    (cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package") \
        >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; exit 1; }
    deb=$(find "$scratch/package" -maxdepth 1 -name '*.deb')
    [ "$(echo "$deb" | wc -l)" = 1 ] && [ -n "$deb" ] ||
        { echo "FAIL: cpack made no single package: $deb" >&2; exit 1; }
fi
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = orvane ] || fail "package name '$(field Package)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] ||
    fail "architecture '$(field Architecture)'"
[ -n "$(field Version)" ] || fail "no version"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
depends=$(field Depends)
echo "Depends: $depends"

# Every path in the package is under /usr.
outside=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -Ev '^\./(usr/.*)?$' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

root=$scratch/root
dpkg-deb -x "$deb" "$root"

# The package that holds a file of this system, or nothing.
owner_of() {
    local candidate owner
    for candidate in "$1" "$(realpath "$1")" "${1#/usr}" "/usr${1#/usr}"; do
        owner=$(dpkg-query -S "$candidate" 2>/dev/null | head -1 | cut -d: -f1) &&
            [ -n "$owner" ] && { echo "$owner"; return; }
    done
}

# Each library a packaged program links directly must come from a package the package
# depends on; a hand-kept list would miss the next one.
declare -A needed_packages=()
for program in "$root"/usr/bin/*; do
    while read -r library; do
        # ldd names the dynamic loader by its path only.
        path=$(ldd "$program" | awk -v lib="$library" '
            $1 == lib { print $3 }
            $1 ~ /^\// && substr($1, length($1) - length(lib)) == "/" lib { print $1 }')
        if [ -z "$path" ] || [ "$path" = "not" ]; then
            fail "$(basename "$program") links $library, which this system does not have"
            continue
        fi
        owner=$(owner_of "$path")
        if [ -z "$owner" ]; then
            fail "no installed package holds $path ($(basename "$program") links it)"
            continue
        fi
        needed_packages[$owner]=1
    done < <(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
done
[ ${#needed_packages[@]} -gt 0 ] || fail "the packaged programs link no library at all"

# Unpacked, the program must find its help pages; the Qt plugins it loads on the way (the
# window platform, the SVG icon engine) are linked by no one, so no computed dependency
# covers them: their packages must be among the dependencies as well.
plugins=$scratch/plugins
"$here/check-installed-tree.sh" "$root" /usr "$app_id" "$plugins" || failures=$((failures + 1))
if [ -s "$plugins" ]; then
    echo "Plugins loaded:" $(xargs -n1 basename <"$plugins")
    while read -r plugin; do
        owner=$(owner_of "$plugin")
        if [ -z "$owner" ]; then
            fail "no installed package holds the plugin $plugin"
            continue
        fi
        needed_packages[$owner]=1
    done <"$plugins"
    grep -q '/iconengines/' "$plugins" || fail "the program loaded no icon engine for its icons"
else
    fail "the started program's loaded plugins are unknown"
fi

for package in "${!needed_packages[@]}"; do
    echo "$depends" | tr ',|' '\n\n' | sed 's/^ *//; s/[ (].*//' | grep -qx "$package" ||
        fail "the package does not depend on $package"
done
if [ $failures -gt 0 ]; then
    exit 1
fi
echo "The package $(basename "$deb") is complete; unpacked, its program finds its help pages"
