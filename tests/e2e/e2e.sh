#!/usr/bin/env bash
# End-to-end run of the installed program on a real X server with a real tray
# host: start-up, the tray icon, the popup menu, hiding and showing, a second
# copy, a crash's stale lock and Exit. Leaves nothing running.
#
# usage: e2e.sh BUILD_DIR [--sanitized]
# --sanitized: BUILD_DIR was built with TOCKARO_SANITIZE; every program must
# end without a report of AddressSanitizer, LeakSanitizer or UBSan.
set -euo pipefail

build_dir=$(cd "$1" && pwd)
sanitized=${2:-}
if [ "$sanitized" = --sanitized ]; then
    # libfaketime is preloaded ahead of the sanitizer's runtime; full stacks
    # let the suppressions, written for the libraries under Qt Multimedia,
    # match by function.
    export ASAN_OPTIONS=verify_asan_link_order=0:fast_unwind_on_malloc=0
    export LSAN_OPTIONS=suppressions=$(cd "$(dirname "$0")/.." && pwd)/lsan.supp
    # Mesa's software OpenGL compiles its shaders to machine code and registers
    # their unwind tables from inside an allocation; the full unwinding of that
    # allocation waits on the unwinder's lock it holds, and the video's first
    # frame never comes. Without OpenGL the video window converts on the CPU.
    export QT_XCB_GL_INTEGRATION=none
elif [ -n "$sanitized" ]; then
    echo "usage: e2e.sh BUILD_DIR [--sanitized]" >&2
    exit 2
fi
work=$(mktemp -d)
folder=$work/folder
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The program looks for its autostart entry there; the real home is left alone.
export XDG_CONFIG_HOME=$work/config
pids=()
source "$(dirname "$0")/lib.sh"

clock_window() { xdotool search --onlyvisible --name '^Tockaro$' | head -n 1; }
clock_shown() { [ -n "$(clock_window)" ]; }
clock_hidden() { [ -z "$(clock_window)" ]; }
message_box() { xdotool search --onlyvisible --name '^Tockaro Program$' | head -n 1; }
message_shown() { [ -n "$(message_box)" ]; }

# Qt's tray icon docks into trayer's panel as a child window of the program.
tray_icon() {
    xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ { inpanel = 1; next }
        inpanel && /"Tockaro": \("tockaro"/ { print $1; exit }'
}
tray_present() { [ -n "$(tray_icon)" ]; }
tray_absent() { [ -z "$(tray_icon)" ]; }

tray_center() {
    local id=$1 x y w h
    eval "$(xwininfo -id "$id" | awk '/Absolute upper-left X/ { print "x=" $4 }
        /Absolute upper-left Y/ { print "y=" $4 } /Width:/ { print "w=" $2 }
        /Height:/ { print "h=" $2 }')"
    echo "$((x + w / 2)) $((y + h / 2))"
}

logged() { grep -qF "$2" "$work/$1.log"; }
visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l; }
# The popup menu is one more visible window of the program than before the click.
menu_open() { [ "$(visible_windows "$1")" -gt "$2" ]; }

step "installing into a temporary program folder"
cmake --install "$build_dir" --prefix "$folder" >/dev/null
[ -f "$folder/conf" ] && [ -f "$folder/als" ] && [ ! -s "$folder/als" ] || fail "conf and an empty als"
[ "$(ls "$folder/Sounds" | wc -l)" -eq 11 ] || fail "ten sounds and the chime in Sounds/"
[ -f "$folder/tockaro_media.so" ] || fail "the media module beside the program"
[ -x "$folder/tockaro-sound" ] || fail "the sound program beside the program"

step "starting Xvfb and the tray host"
start_xvfb
trayer --edge top --align right --widthtype request --height 24 --transparent false \
    >"$work/trayer.log" 2>&1 &
pids+=($!)
trayer_pid=$!
wait_for "the tray host" 10 sh -c 'xwininfo -root -tree | grep -q "\"panel\": (\"panel\" \"trayer\")"'

step "first start: tray icon and the clock at the top centre"
start_program first
first=$last_pid
wait_for "the clock window" 10 clock_shown
wait_for "the tray icon" 10 tray_present
window=$(clock_window)
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$Y" -eq 0 ] || fail "clock window top is $Y, not 0"
[ $((X + WIDTH / 2 - 640)) -ge -1 ] && [ $((X + WIDTH / 2 - 640)) -le 1 ] ||
    fail "clock window is not centred: x=$X width=$WIDTH"
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "clock is not kept on top"
clock_x=$X
clock_y=$Y
# Qt Multimedia comes with the media module on the first play, not before.
! grep -q -e libQt6Multimedia -e tockaro_media "/proc/$first/maps" ||
    fail "the idle clock has loaded Qt Multimedia"

step "right-click on the digits opens the menu; Hide Time hides the clock"
before=$(visible_windows "$first")
xdotool mousemove $((clock_x + 60)) $((clock_y + 35)) click 3
wait_for "the popup menu" 5 menu_open "$first" "$before"
xdotool key Down Return
wait_for "the clock to hide" 5 clock_hidden
wait_for "the caption Show Time" 5 logged first 'menu item: "Show Time"'

step "double-click on the tray icon shows the clock again"
read -r tray_x tray_y < <(tray_center "$(tray_icon)")
xdotool mousemove "$tray_x" "$tray_y" click --repeat 2 --delay 60 1
wait_for "the clock to show" 5 clock_shown
[ "$(grep -c 'menu item: "Hide Time"' "$work/first.log")" -eq 2 ] || fail "caption back to Hide Time"

step "a second start shows only the message box and ends once it is answered"
start_program second
second=$last_pid
wait_for "the second copy's message box" 10 message_shown
[ "$(xdotool search --onlyvisible --pid "$second" | wc -l)" -eq 1 ] || fail "second copy shows more"
logged second "tray icon added" && fail "second copy added a tray icon"
xdotool windowfocus "$(message_box)"
xdotool key Return
wait_for "the second copy to end" 10 ended "$second"
running "$first" || fail "the first copy ended too"
tray_present || fail "the first copy lost its tray icon"
clock_shown || fail "the first copy lost its clock"

step "Exit from the tray menu ends the program and removes the icon"
read -r tray_x tray_y < <(tray_center "$(tray_icon)")
before=$(visible_windows "$first")
xdotool mousemove "$tray_x" "$tray_y" click 3
wait_for "the popup menu" 5 menu_open "$first" "$before"
xdotool key Up Return
wait_for "the program to end" 10 ended "$first"
wait_for "the tray icon to go" 5 tray_absent

step "a copy killed outright does not block the next start"
start_program crashed
crashed=$last_pid
wait_for "the clock window" 10 clock_shown
kill -9 "$crashed"
wait "$crashed" 2>/dev/null || true
wait_for "the killed copy to end" 5 ended "$crashed"
start_program after_crash
after_crash=$last_pid
wait_for "the clock after a crash" 10 clock_shown
message_shown && fail "a stale lock refused the start"
kill "$after_crash"
wait_for "the last copy to end" 5 ended "$after_crash"

step "a conf that says hidden starts with only the tray icon"
printf 'False\r\n\r\n0\r\n0\r\n0\r\n' >"$folder/conf"
start_program hidden
hidden=$last_pid
wait_for "the tray icon" 10 tray_present
wait_for "the start-up to settle" 5 logged hidden 'menu item: "Show Time"'
clock_hidden || fail "the clock shows although conf says hidden"
[ "$(visible_windows "$hidden")" -eq 1 ] || fail "more than the tray icon is shown"

step "Options from the tray menu: 50 % and OK shrink the clock and write 5"
read -r tray_x tray_y < <(tray_center "$(tray_icon)")
xdotool mousemove "$tray_x" "$tray_y" click --repeat 2 --delay 60 1
wait_for "the clock to show" 5 clock_shown
before=$(visible_windows "$hidden")
xdotool mousemove "$tray_x" "$tray_y" click 3
wait_for "the popup menu" 5 menu_open "$hidden" "$before"
xdotool key Down Down Down Return
options_shown() { [ -n "$(xdotool search --onlyvisible --name '^Options$')" ]; }
wait_for "the options dialog" 5 options_shown
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name '^Options$')")"
# The size list sits at (16, 240) in the dialog, OK at (256, 280).
before=$(visible_windows "$hidden")
xdotool mousemove $((X + 40)) $((Y + 250)) click 1
wait_for "the size list to open" 5 menu_open "$hidden" "$before"
xdotool key Down Down Down Down Down Return
xdotool mousemove $((X + 280)) $((Y + 296)) click 1
clock_is() { eval "$(xdotool getwindowgeometry --shell "$(clock_window)")"; [ "$WIDTH" = "$1" ] && [ "$HEIGHT" = "$2" ]; }
wait_for "the clock at 50 %" 5 clock_is 121 44
last_line() { [ "$(tail -n 1 "$folder/conf" | tr -d '\r')" = "$1" ]; }
wait_for "conf to end in 5" 5 last_line 5
[ "$(head -n 1 "$folder/conf" | tr -d '\r')" = False ] || fail "conf no longer says hidden"
kill "$hidden"
wait_for "the program to end" 5 ended "$hidden"

step "Alarms from the tray menu lists the alarms of als"
# alarm_line FREQUENCY MESSAGE TIME [SNOOZE [SLEEP [PLAYLIST]]]: weekdays, sound Bells
alarm_line() {
    local media=0
    [ -n "${6:-}" ] && media=1
    printf '2026-12-24[1*1]0111110[1*1]0[1*1]0[1*1]30[1*1]%s[1*1]%s[1*1]%s[1*1]%s' \
        "$1" "$2" "${6:-}" "${5:-0}"
    printf '[1*1]%s[1*1]%s[1*1]0[1*1]%s[1*1]3\r\n' "${4:-15}" "$3" "$media"
}
{
    alarm_line 1 Stretch 07:05:30
    alarm_line 5 Presents 08:00:00
} >"$folder/als"
# At noon none of them is due while the list is worked.
FAKE_START='2026-12-07 12:00:00' start_program alarms
alarms=$last_pid
wait_for "the tray icon" 10 tray_present
read -r tray_x tray_y < <(tray_center "$(tray_icon)")
before=$(visible_windows "$alarms")
xdotool mousemove "$tray_x" "$tray_y" click 3
wait_for "the popup menu" 5 menu_open "$alarms" "$before"
xdotool key Down Down Return
list_shown() { [ -n "$(xdotool search --onlyvisible --name '^Add$')" ]; }
wait_for "the alarm list" 5 list_shown
wait_for "two rows" 5 logged alarms "alarm list rows: 2"
# The first row lies under the list's header.
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name '^Add$')")"

step "Add in the list, a new message and OK: als gains exactly that line"
list_window=$(xdotool search --onlyvisible --name '^Add$')
editor_shown() { [ -n "$(xdotool search --onlyvisible --name '^Alarm options$')" ]; }
# The new line with its date and time, which come from the clock, as D and T.
last_alarm() { tail -n 1 "$folder/als" | sed -E 's/^[^[]+/D/; s/\[1\*1\][0-9:]{8}( [AP]M)?\[/[1*1]T[/'; }
buy_milk() { printf 'D[1*1]0111110[1*1]0[1*1]0[1*1]30[1*1]3[1*1]Buy milk[1*1][1*1]0[1*1]15'
    printf '[1*1]T[1*1]0[1*1]1[1*1]0\r'; }
saved() { [ "$(last_alarm)" = "$(buy_milk)" ] && [ "$(grep -c $'\r$' "$folder/als")" -eq 3 ]; }
# The first two lines, but their dates, which the program writes in the locale's format.
first_two() { head -n 2 "$folder/als" | sed 's/^[^[]*//'; }
before=$(first_two)
xdotool mousemove $((X + 60)) $((Y + 36)) click 1 windowfocus "$list_window" key Tab space
wait_for "the alarm editor" 5 editor_shown
# The message comes up selected; Tab leaves it for the frequency list, where Return is OK.
xdotool windowfocus "$(xdotool search --onlyvisible --name '^Alarm options$')" type "Buy milk"
xdotool key Tab Return
wait_for "als to gain the weekly Buy milk" 5 saved
[ "$(first_two)" = "$before" ] || fail "the first two alarms changed"
kill "$alarms"
wait_for "the program to end" 5 ended "$alarms"

alarm_window() { xdotool search --onlyvisible --name '^Alarm$' | head -n 1; }
alarm_shown() { [ -n "$(alarm_window)" ]; }
alarm_gone() { [ -z "$(alarm_window)" ]; }
# Presses a button of the alarm window, given in twips as the window lays it out.
press_alarm_button() {
    eval "$(xdotool getwindowgeometry --shell "$(alarm_window)")"
    xdotool mousemove $((X + ($1 + 667) / 15)) $((Y + 5467 / 15)) click 1
}

step "a daily alarm rings in its second with its sound; Snooze, SIGTERM, a new start: it rings at its minute"
printf 'True\r\n\r\n0\r\n1\r\n0\r\n' >"$folder/conf"
{
    alarm_line 2 "Wake up" 06:59:54 1
    alarm_line 2 "Stopped" 07:00:10
} >"$folder/als"
FAKE_START='2026-12-07 06:59:50' start_program ringing
ringing=$last_pid
faked_from=$SECONDS
wait_for "the alarm window" 10 alarm_shown
wait_for "the built-in sound" 5 logged ringing "playing $folder/Sounds/bells.wav"
press_alarm_button 4080
wait_for "the window to close" 5 alarm_gone
kill -TERM "$ringing"
wait_for "the program to end" 5 ended "$ringing"
grep -q '^alarm 1 .* snooze=' "$folder/state" || fail "the state file keeps no snooze"
# The faked clock goes on where it was.
FAKE_START=$(date -d "2026-12-07 06:59:50 $((SECONDS - faked_from)) seconds" '+%F %T') \
    start_program ringing
ringing=$last_pid
wait_for "the snoozed alarm after the new start" 10 alarm_shown
logged ringing "alarm started: Wake up" || fail "not the snoozed alarm"
press_alarm_button 5760
wait_for "the window to close" 5 alarm_gone

step "a process stopped across the due second still rings when it goes on"
kill -STOP "$ringing"
sleep 12
kill -CONT "$ringing"
wait_for "the missed alarm" 5 alarm_shown
[ "$(grep -c 'alarm started' "$work/ringing.log")" -eq 2 ] || fail "two starts expected"
# The sound plays in the sound program, which ends with the clock.
sound_program=$(pgrep -P "$ringing" -x tockaro-sound) || fail "no sound program plays the alarm"
! grep -q -e libgstreamer -e tockaro_media "/proc/$ringing/maps" || fail "the clock loaded GStreamer"
kill "$ringing"
wait_for "the program to end" 5 ended "$ringing"
wait_for "the sound program to end with it" 5 ended "$sound_program"

step "from anywhere, with no display: --snooze closes the ringing alarm's window, and it rings after its minute; --stop answers it"
alarm_line 2 "Wake up" 06:59:54 1 >"$folder/als"
# What the run before rang today would not ring again.
rm -f "$folder/state"
FAKE_START='2026-12-07 06:59:52' start_program remote
remote=$last_pid
wait_for "the alarm window" 10 alarm_shown
ask() { env -u DISPLAY "$folder/tockaro" "$@" 2>>"$work/ask.log"; }
ask --snooze || fail "--snooze did not snooze"
wait_for "the window to close" 5 alarm_gone
status=0 && ask --stop || status=$?
[ "$status" -eq 1 ] && logged ask "nothing rings" || fail "--stop with nothing ringing: status $status"
[ "$(ask --list | cut -f 3,5)" = $'06:59:54\tWake up' ] || fail "--list: $(ask --list)"
wait_for "the snoozed alarm" 10 alarm_shown
[ "$(grep -c 'alarm started: Wake up' "$work/remote.log")" -eq 2 ] || fail "not rung twice"
ask --stop || fail "--stop did not answer the alarm"
wait_for "the window to close" 5 alarm_gone
kill "$remote"
wait_for "the program to end" 5 ended "$remote"
status=0 && ask --next || status=$?
[ "$status" -eq 1 ] && logged ask "not running" || fail "--next with no copy: status $status"

step "a video in a playlist shows its picture from the first play, drawn by the sound program"
# On the real clock: under libfaketime the video sink's wait for the window gives up.
player_window() { xdotool search --onlyvisible --name '^Play$' | head -n 1; }
picture_shown() {
    local id
    id=$(player_window)
    [ -n "$id" ] && [ "$(import -window "$id" -crop 400x300+50+50 -colorspace gray \
        -format '%[fx:maxima>0.3]' info:)" = 1 ]
}
# Each try is a new process, so each video is the first of its run. A picture
# that stayed black for good failed every try; the second try is there for a
# machine so busy that the picture came too late once.
video_tries=0
until [ "$video_tries" -eq 2 ]; do
    video_tries=$((video_tries + 1))
    alarm_line 2 "Film" "$(date -d '+3 sec' +%H:%M:%S)" 15 0 "$build_dir/tests/media/film.avi[2*2]" \
        >"$folder/als"
    start_program "video$video_tries"
    video=$last_pid
    shown=0
    deadline=$((SECONDS + 15))
    while [ "$SECONDS" -lt "$deadline" ]; do
        picture_shown && { shown=1; break; }
        sleep 0.2
    done
    [ "$shown" -eq 1 ] && break
    kill "$video"
    wait_for "the program to end" 5 ended "$video"
    [ "$video_tries" -eq 2 ] && fail "the video's picture stayed black in two runs"
    echo "e2e: the first try saw no picture; trying once more"
done
! grep -q -e libgstreamer -e tockaro_media -e libQt6Multimedia "/proc/$video/maps" ||
    fail "the clock loaded a media framework for the video"

step "a sound program that crashes on the video costs the video, not the clock: the built-in sound follows"
kill -SEGV "$(pgrep -P "$video" -x tockaro-sound)"
wait_for "the built-in sound" 10 logged "video$video_tries" "playing $folder/Sounds/bells.wav"
logged "video$video_tries" "The sound program crashed." || fail "the crash was not seen"
running "$video" || fail "the clock ended with its sound program"
kill "$video"
wait_for "the program to end" 5 ended "$video"

step "without a usable GStreamer plugin a video alarm runs through its sounds, and the clock lives on"
alarm_line 2 "Film" "$(date -d '+3 sec' +%H:%M:%S)" 15 0 "$build_dir/tests/media/film.avi[2*2]" \
    >"$folder/als"
start_program noplugins GST_PLUGIN_SYSTEM_PATH_1_0="$work/none" GST_REGISTRY_1_0="$work/registry.bin"
noplugins=$last_pid
wait_for "the alarm window" 10 alarm_shown
wait_for "the end of the chain" 20 logged noplugins "no sound left to ring with"
running "$noplugins" || fail "the clock ended without plugins"
! grep -q -e libgstreamer -e tockaro_media -e libQt6Multimedia "/proc/$noplugins/maps" ||
    fail "the clock loaded a media framework without plugins"
kill "$noplugins"
wait_for "the program to end" 5 ended "$noplugins"

start_trayer() {
    trayer --edge top --align right --widthtype request --height 24 --transparent false \
        >>"$work/trayer.log" 2>&1 &
    pids+=($!)
    trayer_pid=$!
}
step "no tray host at start: the clock shows although conf says hidden"
kill "$trayer_pid"
wait_for "the tray host to go" 5 ended "$trayer_pid"
printf 'False\r\n\r\n0\r\n0\r\n0\r\n' >"$folder/conf"
start_program late
late=$last_pid
wait_for "the clock without a tray" 10 clock_shown
step "a tray host that comes late gets the icon within 2 s, and the clock hides"
start_trayer
wait_for "the late tray icon" 2 tray_present
wait_for "the clock to hide" 5 clock_hidden
step "the tray host goes: the clock shows; it returns: so does the icon"
kill "$trayer_pid"
wait_for "the clock to show" 5 clock_shown
start_trayer
wait_for "the tray icon to return" 2 tray_present
wait_for "the clock to hide again" 5 clock_hidden
step "a second start shows the hidden clock of the running copy"
start_program again
wait_for "the running copy's clock" 10 clock_shown
kill "$last_pid"
step "SIGTERM ends the program as Exit does: status 0, icon and lock gone"
lock=$folder/tockaro.lock
[ -f "$lock" ] || fail "no lock file $lock while the program runs"
kill -TERM "$late"
status=0 && wait "$late" || status=$?
[ "$status" -eq 0 ] || fail "SIGTERM ended the program with status $status"
wait_for "the tray icon to go" 5 tray_absent
[ ! -e "$lock" ] || fail "the lock file is left after SIGTERM"

if [ -n "$sanitized" ]; then
    step "no program reported a leak or a memory error as it ended"
    copy_running() { pgrep -f "^$folder/tockaro" >/dev/null; }
    wait_for "every copy and sound program to end" 10 eval '! copy_running'
    reported=$(grep -l -e '^==[0-9]*==ERROR: \(Leak\|Address\)Sanitizer' -e 'runtime error:' \
        "$work"/*.log || true)
    if [ -n "$reported" ]; then
        for log in $reported; do
            echo "--- $log" >&2
            sed -n '/==ERROR: \|runtime error:/,/^SUMMARY:/p' "$log" | head -n 80 >&2
        done
        fail "a sanitizer reported in $(echo $reported)"
    fi
fi

echo "e2e: all steps passed"
