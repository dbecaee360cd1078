#!/usr/bin/env bash
# End-to-end run of the installed program in a GNOME Wayland session: mutter,
# headless, serving X clients through Xwayland, on a private session bus, with
# Qt's Wayland plugin installed (which Qt would take by itself). Checks that
# the program runs through Xwayland, where the clock is kept above the other
# windows; that an alarm rings and a key press on OK stops it; that without a
# notification area the menu says why "Hide Time" is not offered; and that
# where there is no X display the compositor moves the dragged clock. Leaves
# nothing running.
#
# usage: wayland.sh BUILD_DIR REMOTEPOINTER
set -euo pipefail

build_dir=$(cd "$1" && pwd)
remotepointer=$2
work=$(mktemp -d)
folder=$work/folder
# The session is mutter's alone: nothing of the caller's display or platform.
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY QT_QPA_PLATFORM
pids=()
source "$(dirname "$0")/lib.sh"
private_home

logged() { grep -qF "$2" "$work/$1.log"; }

# start_in_session NAME [VARIABLE=VALUE...]: starts the installed program as a
# desktop session starts it, with no platform chosen, so the program chooses.
# FAKE_START as in start_program.
start_in_session() {
    local name=$1
    shift
    env "$@" QT_LOGGING_RULES='tockaro.*.info=true' GST_PLUGIN_FEATURE_RANK=fakeaudiosink:MAX \
        "LD_PRELOAD=$faketime_lib" "FAKETIME=@$FAKE_START" DONT_FAKE_MONOTONIC=1 \
        "$folder/tockaro" >"$work/$name.log" 2>&1 &
    pids+=($!)
    last_pid=$!
}

step "what the session needs is installed"
for program in mutter Xwayland xdotool xprop dbus-daemon; do
    command -v "$program" >/dev/null || fail "$program is not installed (scripts/setup-debian.sh test)"
done
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
    fail "Qt's Wayland plugin is not installed (qt6-wayland)"

step "installing into a temporary program folder"
cmake --install "$build_dir" --prefix "$folder" >/dev/null

step "starting a session bus and mutter, headless, with Xwayland"
dbus-daemon --session --nofork --print-address=1 >"$work/bus.address" 2>"$work/bus.log" &
pids+=($!)
wait_for "the session bus" 5 test -s "$work/bus.address"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
export DBUS_SESSION_BUS_ADDRESS
# New windows at the centre of the screen, where the pointer finds the clock
# that cannot place itself on native Wayland.
mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
printf '[org/gnome/mutter]\ncenter-new-windows=true\n' >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
GSETTINGS_BACKEND=keyfile mutter --wayland --headless --virtual-monitor 1280x800 \
    >"$work/mutter.log" 2>&1 &
pids+=($!)
mutter_pid=$!
# mutter names the X display it serves through Xwayland once it listens.
x_display() { grep -oP 'Using public X11 display \K:[0-9]+' "$work/mutter.log"; }
mutter_ready() {
    running "$mutter_pid" || fail "mutter ended at start (its log follows)"
    x_display && grep -q "Using Wayland display name" "$work/mutter.log"
}
wait_for "mutter to serve Wayland and X" 30 mutter_ready
DISPLAY=$(x_display)
WAYLAND_DISPLAY=$(grep -oP "Using Wayland display name '\K[^']+" "$work/mutter.log")
XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -n 1)
[ -n "$XAUTHORITY" ] || fail "mutter left no Xwayland authority file in $XDG_RUNTIME_DIR"
export DISPLAY WAYLAND_DISPLAY XAUTHORITY
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "no Wayland socket $WAYLAND_DISPLAY"
wait_for "Xwayland to answer" 30 xprop -root _NET_SUPPORTING_WM_CHECK

step "a Wayland session: the program takes Xwayland, and the clock is kept above"
printf '2026-12-07[1*1]0111110[1*1]0[1*1]0[1*1]30[1*1]0[1*1]Wake up[1*1][1*1]0[1*1]15' >"$folder/als"
printf '[1*1]07:00:00 AM[1*1]0[1*1]0[1*1]3\r\n' >>"$folder/als"
FAKE_START='2026-12-07 06:59:55' start_in_session clock
clock=$last_pid
wait_for "the clock window on the X display" 15 shown Tockaro
logged clock "platform: xcb" || fail "the program did not run through Xwayland"
above() { xprop -id "$(window_named Tockaro)" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
wait_for "mutter to keep the clock above" 5 above

step "no notification area: the menu says why Hide Time is not offered"
logged clock 'menu item: "Hide Time (no notification area' ||
    fail "the menu item does not say why: $(grep 'menu item' "$work/clock.log" | tail -n 1)"

step "the alarm rings; Return, the first key to hand, is OK and stops it"
wait_for "the alarm window" 15 shown Alarm
wait_for "the alarm's sound" 10 logged clock "playing $folder/Sounds/"
alarm_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$(window_named Alarm)" ]; }
wait_for "the alarm window to have the keyboard" 5 alarm_active
xdotool key Return
wait_for "OK to close the alarm window" 5 hidden Alarm
wait_for "the sound to stop" 5 logged clock "stopped"
running "$clock" || fail "the program ended"
kill "$clock"
wait_for "the program to end" 5 ended "$clock"

step "no X display: native Wayland, where a drag on the digits is the compositor's move"
FAKE_START='2026-12-07 12:00:00' start_in_session native DISPLAY=
native=$last_pid
moves() { grep -c "drag by the compositor: started" "$work/native.log" || true; }
# A click at (X, Y) reaches the clock when the program hands it one more move.
clicked_there() {
    local before
    before=$(moves)
    "$remotepointer" to "$1" "$2" wait 100 press wait 100 release wait 300 >>"$work/pointer.log" 2>&1 ||
        fail "mutter's remote desktop refused the pointer"
    [ "$(moves)" -gt "$before" ]
}
# The clock, a little over 200 pixels wide, shows at the centre when it maps.
wait_for "the clock at the centre to take a click" 15 clicked_there 640 400
logged native "platform: wayland" || fail "the program did not run on native Wayland"
"$remotepointer" to 640 400 wait 100 press wait 100 by 50 50 wait 50 by 50 50 wait 50 \
    by 50 50 wait 100 release wait 300 >>"$work/pointer.log" 2>&1 || fail "the drag failed"
! clicked_there 640 400 || fail "the clock stayed where the drag began"
clicked_there 790 550 || fail "the clock is not where the drag ended"
kill "$native"
wait_for "the program to end" 5 ended "$native"

echo "wayland: all steps passed"
