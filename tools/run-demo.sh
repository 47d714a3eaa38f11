#!/usr/bin/env bash
# tools/run-demo.sh BUILD_DIR
#
# Shows Orvane on a demo list without a real DVBViewer: makes a demo viewer data folder,
# writes a generated channels.dat (and deleted channels) into it unless one is there, starts
# the viewer stand-in on that folder, waits until it has announced itself, runs Orvane and
# stops the stand-in again when Orvane ends.
#
# Environment: ORVANE_DEMO_CHANNELS (default 2000) and ORVANE_DEMO_SEED (default 19)
# choose the generated list; delete the demo folder to get a new one.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)

make_list=$build/tools/make-list/orvane-make-list
standin=$build/tools/viewer-standin/orvane-viewer-standin
orvane=$build/src/app/orvane
for program in "$make_list" "$standin"; do
    if [ ! -x "$program" ]; then
        echo "run-demo: $program is missing; build the project first" >&2
        exit 1
    fi
done

data=${XDG_DATA_HOME:-$HOME/.local/share}/Orvane-demo/DVBViewer
mkdir -p "$data"
if [ ! -e "$data/channels.dat" ]; then
    "$make_list" --out "$data/channels.dat" --channels "${ORVANE_DEMO_CHANNELS:-2000}" \
        --seed "${ORVANE_DEMO_SEED:-19}" --with-deleted "$data/channels.Odel" --iptv-clashing 6
fi

# Where running programs announce themselves; the same rule as the program's.
if [ -n "${XDG_RUNTIME_DIR:-}" ]; then
    rot=${XDG_RUNTIME_DIR%/}/orvane/rot
else
    tmp=${TMPDIR:-/tmp}
    rot=${tmp%/}/orvane-$(id -u)/rot
fi
entry="$rot/!{D0B1ACAD-1190-4E6D-BD60-41DFA6A28E30}"

entry_pid() {
    sed -n 's/.*"pid"[[:space:]]*:[[:space:]]*\([0-9][0-9]*\).*/\1/p' "$entry" 2>/dev/null
}

standin_pid=""
stop_standin() {
    if [ -n "$standin_pid" ] && kill -0 "$standin_pid" 2>/dev/null; then
        kill -TERM "$standin_pid" 2>/dev/null || true
        wait "$standin_pid" 2>/dev/null || true
    fi
}
trap stop_standin EXIT

running=$(entry_pid || true)
if [ -n "$running" ] && kill -0 "$running" 2>/dev/null; then
    # Two viewers cannot hold one running-object entry; the one that runs serves the demo.
    echo "run-demo: a viewer (process $running) is already running; Orvane will use it" >&2
else
    "$standin" --data-folder "$data" &
    standin_pid=$!
    for _ in $(seq 100); do
        if ! kill -0 "$standin_pid" 2>/dev/null; then
            wait "$standin_pid" || true
            standin_pid=""
            echo "run-demo: the viewer stand-in ended before it was ready" >&2
            exit 1
        fi
        [ "$(entry_pid || true)" = "$standin_pid" ] && break
        sleep 0.1
    done
    if [ "$(entry_pid || true)" != "$standin_pid" ]; then
        echo "run-demo: the viewer stand-in did not announce itself in $rot" >&2
        exit 1
    fi
    echo "run-demo: viewer stand-in running (process $standin_pid) on $data"
fi

if [ ! -x "$orvane" ]; then
    echo "run-demo: $orvane is missing; build the target orvane" >&2
    exit 1
fi
status=0
"$orvane" || status=$?
exit "$status"
