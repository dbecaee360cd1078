#!/usr/bin/env bash
# Installs what Tockaro needs on Debian 12, as root. Idempotent: packages that
# are already there are left alone and the package lists are fetched only when
# something is missing.
#
# usage: setup-debian.sh run|test|bench|windows
set -euo pipefail

# libxcb1-dev: the tray watch reads the X events that announce a notification area.
# libgstreamer-plugins-base1.0-dev: the sound program gives a video's sink its window.
build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libgstreamer1.0-dev lame
    libxcb1-dev libgstreamer-plugins-base1.0-dev)
# setcap, for an install that lets alarms wake the computer (run.sh --wake).
build+=(libcap2-bin)
# Files play through GStreamer: WMA needs ugly and libav, MIDI needs bad (with
# its General MIDI soundfont), FLV and MPEG-4 video need libav, and a video's
# picture is drawn into the player window by x (ximagesink).
playback=(gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
    gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-x fonts-dejavu-core)
# Test media are made at build time; the end-to-end run needs an X server and
# a tray host; the fuzz target needs clang's libFuzzer; the benchmarks, built
# with the tests so they keep compiling, need Xlib and its DAMAGE and XTEST
# extensions; the alarm bench measures sound at a PulseAudio null sink and
# presses the alarm window's buttons as a user would; the installed menu
# entry and metainfo are checked by their validators; clang-format checks the
# tree's format.
testing=(gstreamer1.0-tools sox libsox-fmt-mp3 xvfb trayer xdotool x11-utils imagemagick
    faketime clang clang-format libclang-rt-14-dev libx11-dev libxdamage-dev libxtst-dev desktop-file-utils
    appstream)
# The desktop run: a real window manager (xfwm4) for the stacking order and a
# real status-notifier host (xfce4-panel's status tray) on a private session bus
# (dbus-daemon), whose exported menu gdbus reads.
testing+=(xfwm4 xfce4-panel dbus libglib2.0-bin)
# The Wayland run: a headless GNOME compositor (mutter) that serves X clients
# through Xwayland (its own package, not a dependency of mutter), and Qt's
# Wayland plugin, whose presence makes Qt choose native Wayland unless the
# program steers it to Xwayland.
testing+=(mutter xwayland qt6-wayland)
benchmark=(libx11-dev libxdamage-dev libxtst-dev xvfb x11-utils trayer pulseaudio
    pulseaudio-utils)
# The Windows build (scripts/build-windows.sh): the cross toolchain with the posix
# thread model, Wine to run what it makes, the host's Qt tools (moc, rcc, uic,
# qsb), dpkg-source for Qt's Debian sources, what makes the sounds, the zip and
# the installer (NSIS's makensis), and for the tests under Wine a PulseAudio
# null sink that Wine plays to, recorded and measured (parec, sox), and what
# unpacks the zip and watches the program's windows.
windows=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine64 wine
    dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-shader-baker qt6-shadertools-dev
    lame zip nsis xvfb fonts-dejavu-core pulseaudio pulseaudio-utils sox unzip xdotool x11-utils)

case "${1:-}" in
run) wanted=("${build[@]}" "${playback[@]}") ;;
test) wanted=("${build[@]}" "${playback[@]}" "${testing[@]}") ;;
bench) wanted=("${build[@]}" "${playback[@]}" "${benchmark[@]}") ;;
windows) wanted=("${windows[@]}") ;;
*)
    echo "usage: $0 run|test|bench|windows" >&2
    exit 2
    ;;
esac

# Another package manager (an automatic update, a software centre) may hold
# apt's or dpkg's lock for a while: wait for it, up to half an hour, rather
# than fail at once.
apt_waiting() {
    local deadline=$((SECONDS + 1800)) errors
    errors=$(mktemp)
    until apt-get -o DPkg::Lock::Timeout=60 "$@" 2>"$errors"; do
        if ! grep -qE 'Could not get lock|Unable to acquire the dpkg frontend lock|Unable to lock' \
            "$errors" || [ "$SECONDS" -ge "$deadline" ]; then
            cat "$errors" >&2
            rm -f "$errors"
            return 1
        fi
        echo "waiting for another package manager to finish..." >&2
        sleep 5
    done
    cat "$errors" >&2
    rm -f "$errors"
}

missing=()
for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages: ${missing[*]}" >&2
        echo "install them once, as root: sudo bash $0 $1" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt_waiting update -qq
    apt_waiting install -y -qq --no-install-recommends "${missing[@]}"
fi
