#!/usr/bin/env bash
# Orvane's one entry point on a Debian 12 machine.
#   ./orvane.sh test            install what is missing, build twice (optimised, and with the
#                               sanitizers) and run every test in both builds
#   ./orvane.sh run             install what is missing, build, start the viewer stand-in on a
#                               demo list and then Orvane
#   ./orvane.sh bench           Release build, then the benchmarks
#   ./orvane.sh fuzz SECONDS [TARGET...]
#                               build the fuzz targets with clang and run each (or the ones
#                               named) for SECONDS
#   ./orvane.sh tidy [FILE...]  check the names in src/ and tools/ (or the files named)
#                               against .clang-tidy
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

base_packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev
               libqt6svg6 libgl-dev ccache)

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
    exit $status
    ;;
run)
    need_packages "${base_packages[@]}"
    configure_and_build "$top/build-run" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_BUILD_TESTS=OFF
    exec "$top/tools/run-demo.sh" "$top/build-run"
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
*)
    sed -n '2,12p' "$0"
    exit 2
    ;;
esac
