#!/usr/bin/env bash
# End-to-end run of the Windows program under Wine, as a user gets it, in a
# fresh Wine prefix with nothing of the build machine on its DLL path.
#
# The zip: its folder unpacked under a path with a space and letters beyond
# ASCII, the program started from another folder with a daily alarm due 30 s
# later. The Alarm window maps, the program lives on past the due second, and
# the alarm's sound reaches a PulseAudio null sink that Wine plays to (its
# monitor recorded and measured); OK stops the sound. The command line asks
# the running copy: --next and --list tell the alarm, --stop finds nothing ringing.
#
# The installer: a silent install for the user, an install over it that keeps
# the changed alarms, settings and backups, and an uninstall that removes the
# program, its Start-menu entry and its autostart value and keeps conf and als.
#
# Needs an X server in DISPLAY. Leaves nothing running.
#
# usage: windows.sh ZIP INSTALLER
set -euo pipefail

zip=$(realpath "$1")
installer=$(realpath "$2")
work=$(mktemp -d)
wine=/usr/lib/wine/wine64
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
unset WINEPATH
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
pids=()
before_cleanup() { wineserver -k 2>/dev/null || true; }
source "$(dirname "$0")/lib.sh"
window() { xdotool search --onlyvisible --name "^$1\$" | head -n 1; }
shown() { [ -n "$(window "$1")" ]; }
gone() { [ -z "$(window "$1")" ]; }

# The recording of the null sink's monitor: 16-bit stereo at 44.1 kHz.
bytes_per_second=$((44100 * 4))
# rms SECONDS: the loudness of the recording's last SECONDS, 0 to 1.
rms() {
    tail -c "$(awk -v s="$1" -v b="$bytes_per_second" 'BEGIN { printf "%d", s * b / 4 * 4 }')" \
        "$work/sound.raw" |
        sox -t raw -r 44100 -e signed -b 16 -c 2 - -n stat 2>&1 |
        awk '/^RMS +amplitude/ { print $3 }'
}
louder() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

step "a private PulseAudio server with a null sink, and a fresh Wine prefix"
pulseaudio --daemonize=no -n --exit-idle-time=-1 --load="module-null-sink sink_name=nullsink" \
    --load=module-native-protocol-unix >"$work/pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
wait_for "the sound server" 10 pactl info
"$wine" wineboot --init >"$work/wineboot.log" 2>&1
# The boot's server ends first, writing the prefix; then one server for the run,
# with Wine's services started on no pipe, so that they hold none open.
wineserver -w
wineserver -p
"$wine" wineboot </dev/null >/dev/null 2>&1

step "the zip's folder under a path with a space and letters beyond ASCII"
parent="$WINEPREFIX/drive_c/Réveils Ω"
mkdir -p "$parent"
unzip -q "$zip" -d "$parent"
folder=$(echo "$parent"/Tockaro-*-windows-x64)
[ -f "$folder/tockaro.exe" ] || fail "no tockaro.exe in the zip's folder"

step "started from another folder, with a daily alarm due 30 s later"
# Shown, 24-hour clock; the alarm has built-in sound 3 and repeats until answered.
printf 'True\r\n\r\n0\r\n1\r\n0\r\n' >"$folder/conf"
due=$(date -d '+30 sec' +%s)
printf '2026-12-24[1*1]0111110[1*1]0[1*1]0[1*1]30[1*1]2[1*1]Wake up[1*1][1*1]0[1*1]15' \
    >"$folder/als"
printf '[1*1]%s[1*1]0[1*1]0[1*1]3\r\n' "$(date -d "@$due" +%H:%M:%S)" >>"$folder/als"
parec --latency-msec=10 -d nullsink.monitor --format=s16le --rate=44100 --channels=2 \
    >"$work/sound.raw" 2>"$work/parec.log" &
pids+=($!)
cd "$work"
WINEQT_LOGGING_RULES='tockaro.*.info=true' WINEQT_FORCE_STDERR_LOGGING=1 \
    "$wine" "$folder/tockaro.exe" >"$work/program.log" 2>&1 &
program=$!
pids+=($program)
wait_for "the clock" 30 shown Tockaro

step "from anywhere: --next tells the alarm, --stop finds nothing ringing"
ask() { "$wine" "$folder/tockaro.exe" "$@" 2>>"$work/ask.log"; }
ask --next | grep -q ' Wake up' || fail "--next: $(ask --next)"
status=0 && ask --stop || status=$?
[ "$status" -eq 1 ] && grep -q "nothing rings" "$work/ask.log" || fail "--stop with nothing ringing: $status"

step "the Alarm window maps at the due second and the program runs on"
wait_for "the Alarm window" $((due - $(date +%s) + 15)) shown Alarm
until [ "$(date +%s)" -ge $((due + 5)) ]; do
    sleep 0.2
done
running "$program" || fail "the program ended"
shown Alarm || fail "the Alarm window went"

loudness=$(rms 3)
step "its sound is heard at the null sink: RMS amplitude $loudness over the last 3 s"
louder "$loudness" 0.01 || fail "the alarm is not heard"

step "OK stops the sound; --list still lists the alarm"
# Wine draws the window's frame inside its X window (there is no window
# manager), so OK is found from the bottom right corner, to which it keeps.
eval "$(xdotool getwindowgeometry --shell "$(window Alarm)")"
xdotool mousemove $((X + WIDTH - 58)) $((Y + HEIGHT - 19)) click 1
wait_for "the Alarm window to close" 10 gone Alarm
sleep 1.5
loudness=$(rms 0.5)
step "silence after OK: RMS amplitude $loudness"
louder 0.001 "$loudness" || fail "the sound goes on after OK"
running "$program" || fail "the program ended with OK"
[ "$(ask --list | cut -f 5 | tr -d '\r')" = "Wake up" ] || fail "--list: $(ask --list)"
kill "$program"
wait_for "the program to end" 10 ended "$program"

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tockaro'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
user=${USER:-$(id -un)}
installed="$WINEPREFIX/drive_c/users/$user/AppData/Local/Programs/Tockaro"
menu_entry="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tockaro.lnk"
registered() { "$wine" reg query "$@" >/dev/null 2>&1; }

step "the installer installs for the user, with a Start-menu entry"
"$wine" "$installer" /S
for file in tockaro.exe tockaro_media.dll uninstall.exe conf als user-guide.md Sounds/bells.wav \
    platforms/qwindows.dll multimedia/windowsmediaplugin.dll; do
    [ -f "$installed/$file" ] || fail "the install has no $file"
done
[ -f "$menu_entry" ] || fail "no Start-menu entry"
registered "$uninstall_key" /v UninstallString || fail "no uninstall entry"

step "an install over it keeps the alarms, the settings and the backups"
printf 'False\r\n\r\n0\r\n1\r\n5\r\n' >"$installed/conf"
cp "$folder/als" "$installed/als"
cp "$folder/als" "$installed/als-20261207-070000.bak"
cp "$installed/conf" "$work/conf.kept"
# Autostart values as the program writes them: this folder's, and a zip copy's elsewhere.
instdir=$("$wine" reg query "$uninstall_key" /v InstallLocation | tr -d '\r' |
    sed -n 's/.*REG_SZ *//p')
"$wine" reg add "$run_key" /v Tockaro-0123456789abcdef /d "\"$instdir\\tockaro.exe\"" /f >/dev/null
"$wine" reg add "$run_key" /v Tockaro-fedcba9876543210 /d '"C:\elsewhere\tockaro.exe"' /f >/dev/null
rm "$installed/tockaro.exe"
"$wine" "$installer" /S
[ -f "$installed/tockaro.exe" ] || fail "the program was not installed again"
cmp -s "$folder/als" "$installed/als" || fail "the install over it changed als"
cmp -s "$work/conf.kept" "$installed/conf" || fail "the install over it changed conf"
[ -f "$installed/als-20261207-070000.bak" ] || fail "the install over it lost a backup"

step "the uninstaller removes the program and its autostart value, and keeps conf and als"
"$wine" "$installed/uninstall.exe" /S
# It carries on from a copy of itself in the temporary folder; its last step
# is the uninstall entry.
wait_for "the uninstaller" 30 sh -c "! \"$wine\" reg query '$uninstall_key' >/dev/null 2>&1"
wait_for "the uninstaller's copy to end" 30 sh -c '! pgrep -f "Au_\.exe"'
for file in tockaro.exe tockaro_media.dll uninstall.exe user-guide.md Sounds/bells.wav \
    platforms/qwindows.dll; do
    [ ! -e "$installed/$file" ] || fail "the uninstall left $file"
done
[ ! -e "$menu_entry" ] || fail "the uninstall left the Start-menu entry"
cmp -s "$folder/als" "$installed/als" || fail "the uninstall changed als"
cmp -s "$work/conf.kept" "$installed/conf" || fail "the uninstall changed conf"
[ -f "$installed/als-20261207-070000.bak" ] || fail "the uninstall removed a backup"
registered "$run_key" /v Tockaro-0123456789abcdef && fail "the autostart value is left"
registered "$run_key" /v Tockaro-fedcba9876543210 || fail "another folder's autostart value went"

echo "windows: all steps passed"
