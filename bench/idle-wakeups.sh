#!/usr/bin/env bash
# Counts how often an idle clock wakes up: starts the program in FOLDER on the
# offscreen platform, lets it settle, and sums the context switches of all its
# threads over SECONDS (default 60). Prints wake-ups per second; asserts nothing.
#
# usage: idle-wakeups.sh FOLDER [SECONDS]
set -euo pipefail
folder=$1
seconds=${2:-60}

switches() {
    local total=0 task
    for task in /proc/"$1"/task/*; do
        total=$((total + $(awk '/ctxt_switches/ { n += $2 } END { print n }' "$task/status")))
    done
    echo "$total"
}

cd "$folder"
QT_QPA_PLATFORM=offscreen ./tockaro >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
sleep 5
first=$(switches "$pid")
sleep "$seconds"
last=$(switches "$pid")
printf '%s: %d wake-ups in %d s, %.2f per second\n' "$folder" $((last - first)) "$seconds" \
    "$(echo "($last - $first) / $seconds" | bc -l)"
