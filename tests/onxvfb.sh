#!/usr/bin/env bash
# Runs a test program on a private Xvfb through Qt's X11 platform.
#
# usage: onxvfb.sh PROGRAM [ARGUMENTS...]
set -euo pipefail

exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -noreset -nolisten tcp -screen 0 1280x800x24 >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait 2>/dev/null || true' EXIT
read -r -t 10 -u "$display_fd" display_number
DISPLAY=":$display_number" QT_QPA_PLATFORM=xcb "$@"
