#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Tockaro, lays out its program folder and
# starts the clock. The folder's conf and als are kept if they exist already.
#
# usage: run.sh [--wake] [PROGRAM_FOLDER]   (default: ~/tockaro)
#   --wake  grants the program CAP_WAKE_ALARM, so alarms wake the computer from sleep
set -euo pipefail
cd "$(dirname "$0")/.."
wake=OFF
if [ "${1:-}" = --wake ]; then
    wake=ON
    shift
fi
folder=${1:-$HOME/tockaro}

bash scripts/setup-debian.sh run
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOCKARO_TESTS=OFF \
    -DTOCKARO_WAKE_ALARM=$wake
cmake --build build-release -j "$(nproc)"
cmake --install build-release --prefix "$folder"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Tockaro is installed in $folder; start $folder/tockaro from a desktop session." >&2
    exit 1
fi
exec "$folder/tockaro"
