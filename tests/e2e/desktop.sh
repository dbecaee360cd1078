#!/usr/bin/env bash
# End-to-end run of the installed program on a real desktop: Xvfb with the
# xfwm4 window manager and xfce4-panel, whose status tray is a status-notifier
# host, on a private D-Bus session bus. Checks the menu the tray icon exports
# and that an activation shows a hidden clock; that the clock stays above an
# ordinary window after the alarm list opened and closed; that the alarm
# window fits a 1280 x 800 screen at QT_SCALE_FACTOR=2; and that a stand-in
# notification server shows a ringing alarm with its actions, which answer it.
# Leaves nothing running.
#
# usage: desktop.sh BUILD_DIR NOTIFICATION_SERVER
set -euo pipefail

build_dir=$(cd "$1" && pwd)
notification_server=$2
work=$(mktemp -d)
folder=$work/folder
pids=()
source "$(dirname "$0")/lib.sh"
private_home

stop_program() {
    kill "$1"
    wait_for "the program to end" 5 ended "$1"
}

step "installing into a temporary program folder, the user guide with it"
cmake --install "$build_dir" --prefix "$folder" >/dev/null
grep -q '^## Using Tockaro' "$folder/user-guide.md" || fail "no user guide in the program folder"

step "starting Xvfb, a session bus, xfwm4, xfce4-panel with its status tray, a notification server"
start_xvfb
# xfconfd, which the panel and xfwm4 read their settings from, is started by
# the bus on demand and reads this: one panel along the top with the status tray.
mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="26"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
EOF
dbus-daemon --session --nofork --print-address=1 >"$work/bus.address" 2>"$work/bus.log" &
pids+=($!)
wait_for "the session bus" 5 test -s "$work/bus.address"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
export DBUS_SESSION_BUS_ADDRESS
xfwm4 >"$work/xfwm4.log" 2>&1 &
pids+=($!)
xfce4-panel >"$work/panel.log" 2>&1 &
pids+=($!)
"$notification_server" "$work/notifications" >"$work/notificationserver.log" 2>&1 &
pids+=($!)
watcher() {
    gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
        -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1"
}
host_registered() { watcher IsStatusNotifierHostRegistered | grep -q true; }
wait_for "the status-notifier host" 20 host_registered
xmessage -geometry 700x300+100+60 "an ordinary window" >"$work/xmessage.log" 2>&1 &
pids+=($!)
wait_for "the ordinary window" 10 shown xmessage

step "the tray icon goes to the status-notifier host and exports the popup menu"
start_program clock
clock=$last_pid
wait_for "the clock window" 10 shown Tockaro
item_registered() { watcher RegisteredStatusNotifierItems | grep -q StatusNotifierItem; }
wait_for "the tray icon's registration" 10 item_registered
item=$(watcher RegisteredStatusNotifierItems | grep -o "'[^']*StatusNotifierItem'" | tr -d "'")
service=${item%%/*}
menu_path=$(gdbus call --session -d "$service" -o "/${item#*/}" \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Menu |
    grep -o "'/[^']*'" | tr -d "'")
[ "$menu_path" != /NO_DBUSMENU ] || fail "the icon exports no menu"
layout() { gdbus call --session -d "$service" -o "$menu_path" -m com.canonical.dbusmenu.GetLayout -- 0 -1 '[]'; }
labels() { layout | grep -oP "'label': <'\K[^']*" | paste -sd '|'; }
[ "$(labels)" = "Hide Time|Alarms|Options|About|Exit..." ] || fail "exported menu: $(labels)"
[ "$(layout | grep -o "'type': <'separator'>" | wc -l)" -eq 2 ] || fail "two separators in the menu"

step "Hide Time from the exported menu hides the clock; its caption follows"
hide_id=$(layout | grep -oP "\(\K[0-9]+(?=, \{[^}]*'label': <'Hide Time'>)")
gdbus call --session -d "$service" -o "$menu_path" -m com.canonical.dbusmenu.Event -- \
    "$hide_id" clicked '<0>' 0 >/dev/null
wait_for "the clock to hide" 5 hidden Tockaro
caption_is() { [ "$(labels | cut -d '|' -f 1)" = "$1" ]; }
wait_for "the exported caption Show Time" 5 caption_is "Show Time"

step "a left click on the icon in the panel (an activation) shows the clock"
# The status tray, the panel's only plugin, lies in its plugin window at the panel's left.
tray_plugin() {
    xwininfo -root -tree | awk '/"wrapper-2.0": \("wrapper-2.0" "Wrapper-2.0"\)/ {
        split($(NF - 1), size, /[x+]/); split($NF, at, /[+]/)
        if (size[1] >= 16 && size[1] < 100 && at[3] < 40) { print $1; exit } }'
}
tray_found() { [ -n "$(tray_plugin)" ]; }
wait_for "the status tray in the panel" 5 tray_found
plugin=$(tray_plugin)
eval "$(xdotool getwindowgeometry --shell "$plugin")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
wait_for "the clock to show" 5 shown Tockaro
wait_for "the exported caption Hide Time" 5 caption_is "Hide Time"

step "the clock stays above an ordinary window after the alarm list opened and closed"
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr -d ' ' | tr ',' '\n'; }
# Windows stack bottom first; the clock's place must come after the other's.
clock_above() {
    local clock_id other_id
    clock_id=$(printf '0x%x' "$(window_named Tockaro)")
    other_id=$(printf '0x%x' "$(window_named xmessage)")
    stacking | awk -v c="$clock_id" -v o="$other_id" '$0 == c { ci = NR } $0 == o { oi = NR }
        END { exit !(ci > oi) }'
}
activate_ordinary() { xdotool windowactivate --sync "$(window_named xmessage)"; }
activate_ordinary
wait_for "the clock above the activated window" 5 clock_above
eval "$(xdotool getwindowgeometry --shell "$(window_named Tockaro)")"
xdotool mousemove $((X + 60)) $((Y + 35)) click 3
sleep 0.3
xdotool key Down Down Return
wait_for "the alarm list" 5 shown Add
# The window manager takes alt+F4 from the window it has focused; a list just
# mapped may not have the focus yet, so the request is sent again until it closes.
close_list() {
    xdotool windowactivate --sync "$(window_named Add)" key alt+F4
    sleep 0.5
    hidden Add
}
wait_for "the alarm list to close" 10 close_list
activate_ordinary
sleep 0.5
clock_above || fail "the clock fell behind an ordinary window: $(stacking | paste -sd ' ')"
stop_program "$clock"

step "at QT_SCALE_FACTOR=2 the alarm window lies inside the free screen area, OK in reach; a notification mirrors it"
daily() {
    printf '2026-12-07[1*1]0111110[1*1]0[1*1]0[1*1]30[1*1]2[1*1]%s[1*1][1*1]0[1*1]1' "$1"
    printf '[1*1]%s[1*1]0[1*1]0[1*1]3\r\n' "$2"
}
{
    daily "Wake up" "07:00:00 AM"
    daily "Tea & toast" "07:00:06 AM"
} >"$folder/als"
notified() { grep -qxF "$1" "$work/notifications"; }
FAKE_START='2026-12-07 06:59:57' start_program scaled QT_SCALE_FACTOR=2
scaled=$last_pid
wait_for "the alarm window" 15 shown Alarm
alarm=$(window_named Alarm)
frame_known() { xprop -id "$alarm" _NET_FRAME_EXTENTS | grep -q =; }
wait_for "the window manager's frame" 5 frame_known
read -r area_x area_y area_w area_h < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | cut -d ' ' -f 1-4)
read -r left right top bottom < <(xprop -id "$alarm" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
# xwininfo, not xdotool: under a window manager xdotool counts the frame twice.
eval "$(xwininfo -id "$alarm" | awk '/Absolute upper-left X/ { print "X=" $4 }
    /Absolute upper-left Y/ { print "Y=" $4 } /Width:/ { print "WIDTH=" $2 }
    /Height:/ { print "HEIGHT=" $2 }')"
[ $((X - left)) -ge "$area_x" ] && [ $((Y - top)) -ge "$area_y" ] &&
    [ $((X + WIDTH + right)) -le $((area_x + area_w)) ] &&
    [ $((Y + HEIGHT + bottom)) -le $((area_y + area_h)) ] ||
    fail "alarm window at ${WIDTH}x$HEIGHT+$X+$Y (frame $left $right $top $bottom) leaves the area ${area_w}x$area_h+$area_x+$area_y"
# OK keeps its design distance from the window's bottom right corner: 54.5 and
# 15.5 pixels, twice that on this screen.
wait_for "the notification" 5 notified 'Notify 1 Alarm 07:00:00 AM|Wake up|snooze,Snooze,ok,OK'
xdotool mousemove $((X + WIDTH - 109)) $((Y + HEIGHT - 31)) click 1
wait_for "OK to close the alarm window" 5 hidden Alarm
wait_for "OK to close the notification" 5 notified 'CloseNotification 1'

step "the next alarm's notification, its message escaped for markup: its Snooze snoozes the alarm"
wait_for "the next alarm" 15 shown Alarm
wait_for "its notification" 5 notified 'Notify 2 Alarm 07:00:06 AM|Tea &amp; toast|snooze,Snooze,ok,OK'
gdbus call --session -d org.freedesktop.Notifications -o /org/freedesktop/Notifications \
    -m org.freedesktop.Notifications.Invoke snooze >/dev/null
wait_for "the alarm window to close" 5 hidden Alarm
wait_for "the snooze in the state file" 5 grep -q '^alarm 2 .* snooze=' "$folder/state"
stop_program "$scaled"

echo "desktop: all steps passed"
