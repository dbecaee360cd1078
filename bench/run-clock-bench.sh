#!/usr/bin/env bash
# The clock against a minimal Qt clock and a program of its size that only
# wakes each second, side by side on one Xvfb with a tray
# host: start-up, display lag, memory and idle CPU.
#
# usage: bench/run-clock-bench.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-debian.sh bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOCKARO_TESTS=OFF \
    -DTOCKARO_BENCH=ON >/dev/null
cmake --build build-bench -j "$(nproc)" >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cmake --install build-bench --prefix "$work/folder" >/dev/null
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -noreset -nolisten tcp -screen 0 1280x800x24 >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 -u "$display_fd" display_number
export DISPLAY=":$display_number"
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids+=($!)
sleep 1

build-bench/bench/clockbench "$work/folder/tockaro" build-bench/bench/refclock "${1:-60}" \
    build-bench/bench/idlefloor
