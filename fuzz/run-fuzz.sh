#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS, starting from its committed
# seeds copied into a scratch corpus. Exits non-zero when any target crashes, leaks or hangs.
#   fuzz/run-fuzz.sh SECONDS [TARGET...]
set -euo pipefail
seconds=${1:?usage: fuzz/run-fuzz.sh SECONDS [TARGET...]}
shift
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_FUZZ_BUILD_DIR:-$top/build-fuzz}
jobs=$(nproc 2>/dev/null || echo 2)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_channelfile fuzz_settings fuzz_rtf fuzz_automationreply)

CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANE_BUILD_FUZZ=ON -DORVANE_BUILD_TESTS=OFF
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/orvane-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/tests/lsan.supp}
export QT_QPA_PLATFORM=offscreen

failed=()
for target in "${targets[@]}"; do
    corpus=$scratch/corpus-$target
    artifacts=$scratch/artifacts-$target
    mkdir -p "$corpus" "$artifacts"
    cp -r "$top/fuzz/seeds/$target/." "$corpus/"
    echo "== $target for ${seconds}s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" \
            2>"$scratch/$target.log"; then
        failed+=("$target")
        tail -n 60 "$scratch/$target.log"
        mkdir -p "$top/fuzz/crashes-$target"
        cp "$artifacts"/* "$top/fuzz/crashes-$target/" 2>/dev/null || true
        echo "== $target FAILED; inputs kept in fuzz/crashes-$target/"
    else
        grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$scratch/$target.log" || true
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Failing fuzz targets: ${failed[*]}"
    exit 1
fi
echo "All fuzz targets ran ${seconds}s without a finding."
