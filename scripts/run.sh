#!/usr/bin/env bash
# Builds Tockaro, lays out its program folder and starts the clock, for the
# user who runs it: as yourself it installs into your home, where your desktop
# finds its menu entry. The folder's conf and als are kept if they exist already.
#
# usage: run.sh [--wake] [PROGRAM_FOLDER]   (default: ~/tockaro)
#   --wake  lets alarms wake the computer from sleep (grants CAP_WAKE_ALARM; as
#           root at once, as another user it says the one command to run as root)
#
# The packages are installed by root, once: as root this script does it itself,
# as another user it says how (sudo bash scripts/setup-debian.sh run).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
wake=OFF
if [ "${1:-}" = --wake ]; then
    wake=ON
    shift
fi
folder=${1:-$HOME/tockaro}
root=false
[ "$(id -u)" -eq 0 ] && root=true

bash "$source_dir/scripts/setup-debian.sh" run
if $root && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    echo "note: installing for root into $folder; to install for $SUDO_USER, run" \
        "'bash scripts/run.sh' as $SUDO_USER" >&2
fi

# Each user builds in a folder of their own, outside the source tree: a build
# left by another user (root) is not theirs to write, and the sources may not be.
build=${XDG_CACHE_HOME:-$HOME/.cache}/tockaro/build-$(printf %s "$source_dir" | sha1sum | cut -c1-12)
grant=OFF
$root && grant=$wake
cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOCKARO_TESTS=OFF \
    -DTOCKARO_WAKE_ALARM=$grant >/dev/null
cmake --build "$build" -j "$(nproc)"
cmake --install "$build" --prefix "$folder" >/dev/null
echo "Tockaro is installed in $folder; the desktop menu has it as Tockaro."
if [ "$wake" = ON ] && ! $root; then
    echo "To let alarms wake the computer, run once as root:" \
        "sudo setcap cap_wake_alarm+ep '$folder/tockaro'"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display here: start it from your desktop's menu, or run $folder/tockaro" \
        "in a desktop session."
    exit 0
fi
exec "$folder/tockaro"
