#!/usr/bin/env bash
# Orvane's one entry point on a Debian 12 machine.
#   ./orvane.sh test            install what is missing, build twice (optimised, and with the
#                               sanitizers) and run every test in both builds; then the Windows
#                               suite under Wine, if Qt for Windows is built here already
#   ./orvane.sh run             install what is missing, build, start the viewer stand-in on a
#                               demo list and then Orvane
#   ./orvane.sh bench           Release build, then the benchmarks
#   ./orvane.sh fuzz SECONDS [TARGET...]
#                               build the fuzz targets with clang and run each (or the ones
#                               named) for SECONDS
#   ./orvane.sh tidy [FILE...]  check the names in src/ and tools/ (or the files named)
#                               against .clang-tidy
#   ./orvane.sh package         Release build, then a Debian package of it (checked unpacked
#                               into a scratch folder)
#   ./orvane.sh windows         build for 64-bit Windows (Qt for Windows is built once first,
#                               about 20 minutes): a folder, a zip and an installer
#   ./orvane.sh windows-test    the Windows build's test suite under Wine
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

base_packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev
               libqt6svg6 libgl-dev ccache desktop-file-utils appstream dpkg-dev)

need_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" = 0 ] || sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"
    fi
}

windows_packages=(g++-mingw-w64-x86-64-posix cmake ninja-build qt6-base-dev qt6-base-dev-tools
                  dpkg-dev librsvg2-bin icoutils nsis zip ccache)
qt_windows="${ORVANE_QT_WINDOWS:-$HOME/.cache/orvane/qt-6.4.2-mingw64}"

# The Windows build: Qt for Windows (built once into the cache), then the project with that
# Qt's toolchain file, which hands over to the tree's mingw-w64 toolchain file.
windows_build() {
    need_packages "${windows_packages[@]}"
    "$top/tools/build-qt-mingw.sh" "$qt_windows"
    cmake -S "$top" -B "$top/build-windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$qt_windows/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DORVANE_WERROR=ON "$@"
}

windows_package() {
    local version
    version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
    windows_setup="$top/build-windows/package/Orvane-$version-win64-setup.exe"
    "$top/tools/windows-package.sh" "$top/build-windows" "$qt_windows" "$version"
}

configure_and_build() {
    local dir=$1
    shift
    cmake -S "$top" -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j "$jobs"
}

cmd=${1:-}
case "$cmd" in
test)
    need_packages "${base_packages[@]}"
    # The optimised build runs the suite as users run the program; the sanitizer build finds
    # memory and undefined-behaviour faults. Each can hide a fault the other shows (a
    # sanitizer's stack handling once hid a reused stack address), so both must pass.
    # A new warning fails the build here, so that none slips in unseen.
    configure_and_build "$top/build-release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_WERROR=ON
    configure_and_build "$top/build-test" -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON \
        -DORVANE_WERROR=ON
    status=0
    for dir in build-release build-test; do
        echo "== Test suite in $dir"
        (cd "$top/$dir" && ctest --output-on-failure -j "$jobs") || status=1
    done
    # The Windows suite runs wherever Qt for Windows has been built already. Building it takes
    # longer than everything else together, so a machine without it skips the suite, saying so.
    if [ -f "$qt_windows/lib/cmake/Qt6/qt.toolchain.cmake" ] && [ -z "${ORVANE_SKIP_WINDOWS:-}" ]; then
        echo "== Windows test suite under Wine"
        "$0" windows-test || status=1
    else
        echo "== Windows tests skipped: Qt for Windows is not built on this machine (./orvane.sh windows-test builds it once, about 20 minutes, and runs them under Wine)"
    fi
    exit $status
    ;;
run)
    need_packages "${base_packages[@]}"
    configure_and_build "$top/build-run" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_BUILD_TESTS=OFF
    exec "$top/tools/run-demo.sh" "$top/build-run"
    ;;
package)
    need_packages "${base_packages[@]}"
    configure_and_build "$top/build-package" -DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_TESTS=OFF \
        -DORVANE_WERROR=ON
    rm -rf "$top/build-package/package"
    (cd "$top/build-package" && cpack -G DEB)
    deb=$(echo "$top"/build-package/package/*.deb)
    app_id=$(sed -n 's/^ORVANE_APP_ID:STRING=//p' "$top/build-package/CMakeCache.txt")
    "$top/tests/install/check-deb.sh" --deb "$deb" "$app_id"
    echo "Debian package: $deb"
    ;;
bench)
    need_packages "${base_packages[@]}" libbenchmark-dev
    configure_and_build "$top/build-bench" -DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_TESTS=OFF \
        -DORVANE_BUILD_BENCH=ON
    QT_QPA_PLATFORM=offscreen "$top/build-bench/bench/orvane-bench" "$top/build-bench"
    ;;
fuzz)
    seconds=${2:?usage: ./orvane.sh fuzz SECONDS [TARGET...]}
    shift 2
    need_packages "${base_packages[@]}" clang libclang-rt-14-dev
    exec "$top/fuzz/run-fuzz.sh" "$seconds" "$@"
    ;;
tidy)
    shift
    need_packages "${base_packages[@]}" clang-tidy
    # Configured only: clang-tidy needs each source's flags, not a build.
    cmake -S "$top" -B "$top/build-tidy" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DORVANE_BUILD_TESTS=OFF >/dev/null
    JOBS=$jobs exec "$top/tools/clang-tidy.sh" "$top/build-tidy" "$@"
    ;;
windows)
    windows_build
    cmake --build "$top/build-windows" -j "$jobs" --target orvane orvane-viewer-standin \
        orvane-make-list
    windows_package
    ;;
windows-test)
    windows_build
    need_packages wine wine64 xvfb xauth
    cmake --build "$top/build-windows" -j "$jobs"
    status=0
    (cd "$top/build-windows" && ctest --output-on-failure -j "$jobs") || status=1
    echo "== The Windows installer under Wine"
    windows_package && "$top/tools/check-windows-installer.sh" "$windows_setup" || status=1
    exit $status
    ;;
*)
    sed -n '2,/^set -euo/{/^#/p}' "$0"
    exit 2
    ;;
esac
