#!/usr/bin/env bash
# Builds Qt's base module for 64-bit Windows once, from Debian's own qt6-base source (the same
# version as the host's Qt, whose moc, rcc and uic the cross build uses), and installs it into
# a cache outside the tree. Later calls find it there and return at once.
#   tools/build-qt-mingw.sh PREFIX
set -euo pipefail
prefix=${1:?usage: build-qt-mingw.sh PREFIX}
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

if [ -f "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
    exit 0
fi

work=$(dirname "$prefix")/qt-src
mkdir -p "$work"
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo

if ! ls "$work"/qt6-base-*/CMakeLists.txt >/dev/null 2>&1; then
    # Source packages need a deb-src entry for the suite the machine runs.
    if ! apt-get source --print-uris qt6-base >/dev/null 2>&1; then
        suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
        echo "Adding a deb-src entry for $suite (to fetch Qt's source)"
        printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
            "$suite" | $sudo tee /etc/apt/sources.list.d/orvane-qt-source.sources >/dev/null
        $sudo apt-get update -qq
    fi
    (cd "$work" && apt-get source -qq --download-only qt6-base &&
        dpkg-source --no-check -x qt6-base_*.dsc >/dev/null)
fi
src=$(ls -d "$work"/qt6-base-*/ | head -1)

echo "Building Qt for Windows into $prefix."
echo "This happens once and takes about 20 minutes with two free cores; later builds reuse it."
build="$work/build"
rm -rf "$build"
cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_tabletevent=OFF -DINPUT_opengl=no \
    -DFEATURE_zstd=OFF >"$work/configure.log" 2>&1 ||
    { tail -40 "$work/configure.log"; exit 1; }
# Only the modules and plugins the program and its tests use: the Direct2D, minimal, TLS,
# image format and touch plugins would add a fifth to the build for nothing. Their install
# steps are emptied so that installing does not look for them.
cmake --build "$build" -j "$jobs" --target Core Gui Widgets Network Test Concurrent Xml \
    QWindowsIntegrationPlugin QOffscreenIntegrationPlugin QWindowsVistaStylePlugin \
    DeviceDiscoverySupportPrivate FbSupportPrivate
for unused in platforms/direct2d platforms/minimal tls/certonly tls/schannel \
    imageformats/gif imageformats/ico imageformats/jpeg generic/tuiotouch; do
    : >"$build/src/plugins/$unused/cmake_install.cmake"
done
cmake --install "$build" >/dev/null
rm -rf "$build"
echo "Qt for Windows is ready in $prefix."
