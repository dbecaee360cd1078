#!/usr/bin/env bash
# Builds Tockaro for 64-bit Windows on Debian 12, as root, and tests it under Wine.
#
# Qt 6.4.2 (qtbase, qtshadertools, qtmultimedia with its Media Foundation
# backend) is cross-built from Debian's own source packages with Debian's
# mingw-w64 into a cache folder outside the checkout, once; later runs reuse it.
# Then Tockaro is cross-built with its own CMake files, laid out as a program
# folder with its binaries stripped, zipped
# (build-windows/Tockaro-<version>-windows-x64.zip) and packed into an installer
# (build-windows/Tockaro-<version>-windows-x64-setup.exe, by NSIS's makensis).
# Every test runs under Wine, in a Wine prefix of the checkout's own, on an X
# server, with a PulseAudio null sink for a sound output; then the end-to-end
# run (tests/e2e/windows.sh) takes the zip and the installer into a fresh
# prefix. The exit status is non-zero when a build step or a test fails.
#
# Two runs at once are safe: the runs of one checkout take turns (a lock in
# build-windows/), and the Qt cache is built by one run at a time and never
# rebuilt while another run uses it (a lock in the cache).
#
# Environment: TOCKARO_WINDOWS_CACHE (default /var/cache/tockaro-windows),
# TOCKARO_WINDOWS_JOBS (default 2), TOCKARO_WINDOWS_DISPLAY (an X display for
# the tests, such as :5; by default a private Xvfb of the run's own).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
cache=${TOCKARO_WINDOWS_CACHE:-/var/cache/tockaro-windows}
jobs=${TOCKARO_WINDOWS_JOBS:-2}
build=$source_dir/build-windows
mingw=x86_64-w64-mingw32
started=$SECONDS

say() { printf '== %s (%d s)\n' "$*" $((SECONDS - started)); }

# take_lock FD MODE WHAT: takes flock's lock MODE (-x or -s) on FD, saying so if it must wait.
take_lock() {
    flock -n "$2" "$1" && return
    say "waiting for $3"
    flock "$2" "$1"
}

mkdir -p "$build"
exec {build_lock}>"$build/.lock"
take_lock "$build_lock" -x "the other run from this checkout to end"

# --- Packages -----------------------------------------------------------------
bash scripts/setup-debian.sh windows
say "packages ready"

# --- Qt for Windows -------------------------------------------------------------
qt=$cache/qt
src=$cache/src
mkdir -p "$cache" "$src"
# The Qt build refers to its toolchain file for good, so it keeps a copy of its own.
toolchain=$cache/windows-toolchain.cmake
# While `checking` is set the cache is only looked at, and whatever would have
# to be done to it sets `stale` instead.
checking=
stale=

# The sources come from the Debian release through an apt configuration of our
# own, with source entries; the system's package sources are never changed.
fetch_sources() {
    local apt=$cache/apt
    mkdir -p "$apt/state/lists/partial" "$apt/cache/archives/partial"
    local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    cat >"$apt/sources.list" <<EOF
deb [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
    cat >"$apt/apt.conf" <<EOF
Dir::State "$apt/state";
Dir::Cache "$apt/cache";
Dir::Etc::SourceList "$apt/sources.list";
Dir::Etc::SourceParts "$apt/sources.list.d";
EOF
    mkdir -p "$apt/sources.list.d"
    (
        export APT_CONFIG=$apt/apt.conf
        cd "$src"
        apt-get update -qq
        apt-get source --download-only -qq qt6-base qt6-shadertools qt6-multimedia
        # Debian's qtbase tarball leaves out the tablet (wintab) headers; Wine's
        # LGPL ones stand in for them.
        apt-get download -qq libwine-dev
    ) 2>&1 | grep -v 'unsandboxed as root' || true
}

# unpack PACKAGE: the unpacked source folder of a Debian source package, with
# Debian's patches; nothing while checking, if it is not there yet.
unpack() {
    local dsc
    dsc=$(ls "$src/$1"_*.dsc 2>/dev/null | tail -n 1)
    if [ -z "$dsc" ]; then
        [ -z "$checking" ] || return 0
        fetch_sources
        dsc=$(ls "$src/$1"_*.dsc | tail -n 1)
    fi
    local dir=$src/$(basename "$dsc" .dsc)
    if [ ! -d "$dir" ]; then
        [ -z "$checking" ] || return 0
        dpkg-source --no-check -x "$dsc" "$dir.tmp" >/dev/null
        mv "$dir.tmp" "$dir"
    fi
    echo "$dir"
}

common_qt_flags=(-G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt"
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF)
# Only what Tockaro and Qt Multimedia use: no OpenGL, D-Bus, SQL, printing, XML,
# TLS (Schannel's plugin is a feature apart, and does not build without the
# rest), image format plugins or TUIO. Direct2D stays: Qt 6.4's Windows platform
# plugin does not link without it; so does Qt Concurrent, which Qt Multimedia's
# Windows plugin includes.
qtbase_flags=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DFEATURE_dbus=OFF -DFEATURE_sql=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF -DFEATURE_openssl=OFF
    -DINPUT_opengl=no -DFEATURE_ssl=OFF -DFEATURE_schannel=OFF -DFEATURE_networklistmanager=OFF -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_tuiotouch=OFF)
wmf_libraries=()
for name in strmiids amstrmid dmoguids uuid msdmo ole32 oleaut32 mf mfuuid mfplat mfcore propsys; do
    wmf_libraries+=("-DWMF_${name^^}_LIBRARY=/usr/$mingw/lib/lib$name.a")
done
# mingw-w64's and Qt's headers are lower case; Qt Multimedia asks for some in
# mixed case, which only a Windows file system finds.
mixed_case=$cache/mingw-mixed-case
multimedia_flags=(-DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
    -DFEATURE_gstreamer=OFF -DFEATURE_ffmpeg=OFF -DFEATURE_spatialaudio=OFF "${wmf_libraries[@]}"
    -DCMAKE_CXX_FLAGS="-idirafter $mixed_case")

# qt_module NAME PACKAGE FLAGS...: configures, builds and installs one Qt module
# into the cache, unless the same sources were installed there with the same flags.
qt_module() {
    local name=$1 package=$2
    shift 2
    local flags=("${common_qt_flags[@]}" "$@")
    local stamp=$qt/.tockaro-$name
    local dir
    dir=$(unpack "$package")
    if [ -z "$dir" ]; then
        stale=1
        return
    fi
    # A module is as good as the modules below it: their stamps are part of its own.
    local want
    want=$(printf '%s\n' "$(basename "$dir")" "${flags[@]}" "$built_modules" |
        cat - "$toolchain" | sha256sum)
    built_modules+=$want
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
        return
    fi
    if [ -n "$checking" ]; then
        stale=1
        return
    fi
    if [ "$name" = qtbase ]; then
        rm -rf "$qt"
    fi
    say "building $name for Windows (long the first time)"
    # A build that was stopped goes on where it stopped; one with other flags starts afresh.
    local module_build=$cache/build/$name
    if [ ! -f "$module_build/build.ninja" ] || [ "$(cat "$module_build/.tockaro-want" 2>/dev/null)" != "$want" ]; then
        rm -rf "$module_build"
        nice -n 10 cmake -S "$dir" -B "$module_build" "${flags[@]}" >"$cache/build-$name.log" 2>&1 ||
            { tail -n 40 "$cache/build-$name.log"; exit 1; }
        echo "$want" >"$module_build/.tockaro-want"
    fi
    nice -n 10 cmake --build "$module_build" -j "$jobs" >>"$cache/build-$name.log" 2>&1 ||
        { tail -n 40 "$cache/build-$name.log"; exit 1; }
    cmake --install "$module_build" >>"$cache/build-$name.log" 2>&1
    echo "$want" >"$stamp"
    rm -rf "$module_build"
}

# prepare_qt: fetches, builds and installs what the cache lacks (while
# checking: sets `stale` at the first thing to do).
prepare_qt() {
    if ! cmp -s cmake/windows-toolchain.cmake "$toolchain"; then
        [ -z "$checking" ] || { stale=1; return; }
        cp cmake/windows-toolchain.cmake "$toolchain"
    fi
    built_modules=
    qtbase_dir=$(unpack qt6-base)
    if [ ! -f "$qtbase_dir/src/3rdparty/wintab/wintab.h" ]; then
        [ -z "$checking" ] || { stale=1; return; }
        [ -n "$(ls "$src"/libwine-dev_*.deb 2>/dev/null)" ] || fetch_sources
        rm -rf "$cache/wine-dev"
        dpkg-deb -x "$(ls "$src"/libwine-dev_*.deb | tail -n 1)" "$cache/wine-dev"
        wintab=$qtbase_dir/src/3rdparty/wintab
        mkdir -p "$wintab"
        cp "$cache/wine-dev/usr/include/wine/wine/windows/pktdef.h" "$wintab/"
        cp "$cache/wine-dev/usr/include/wine/wine/windows/wintab.h" "$wintab/wine-wintab.h"
        # Wine's header is written for Wine's own headers; these are the few names it
        # takes from them, in their Unicode form as Qt builds.
        cat >"$wintab/wintab.h" <<'EOF'
#pragma once
#include <windows.h>
#ifndef API
#define API WINAPI
#endif
#define WINELIB_NAME_AW(name) name##W
#define DECL_WINELIB_TYPE_AW(type) typedef type##W type;
#include "wine-wintab.h"
EOF
    fi
    qt_module qtbase qt6-base "${qtbase_flags[@]}"
    [ -z "$stale" ] || return 0

    multimedia_dir=$(unpack qt6-multimedia)
    if [ -z "$checking" ]; then
        mkdir -p "$mixed_case"
        grep -rhoE '#include *[<"][^>"/]*[A-Z][^>"/]*\.h[>"]' "$multimedia_dir/src" |
            sed 's/.*[<"]\(.*\)[>"]/\1/' | sort -u | while read -r header; do
                for dir in "/usr/$mingw/include" "$qt/include/QtCore"; do
                    lower=$dir/${header,,}
                    if [ ! -e "$dir/$header" ] && [ -e "$lower" ]; then
                        ln -sfn "$lower" "$mixed_case/$header"
                        break
                    fi
                done
            done
    fi
    qt_module qtshadertools qt6-shadertools -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
    [ -z "$stale" ] || return 0
    qt_module qtmultimedia qt6-multimedia "${multimedia_flags[@]}"
}

# Runs that find Qt built share it; one that must build it waits until it has
# the cache alone, and the others wait for it.
exec {cache_lock}>"$cache/.lock"
take_lock "$cache_lock" -s "another run to finish building Qt"
checking=1
prepare_qt
if [ -n "$stale" ]; then
    take_lock "$cache_lock" -x "the other runs to finish with the Qt cache"
    checking=
    stale=
    prepare_qt
    # Other runs may use Qt now; none may rebuild it until this one ends.
    flock -s "$cache_lock"
fi
say "Qt for Windows ready in $qt ($(du -sh "$qt" | cut -f1))"

# --- Wine ---------------------------------------------------------------------------
# A prefix of the checkout's own, made once; its user folders point into a home
# of its own, so nothing a test writes lands in the real home, and no other
# run's clean-up ends its Wine server.
wine_prefix=$build/wine
wine_home=$build/wine-home
mkdir -p "$wine_home"
gcc_runtime=$(dirname "$("$mingw-g++-posix" -print-libgcc-file-name)")
to_windows() { printf 'Z:%s' "${1//\//\\}"; }
cat >"$build/wine-run" <<EOF
#!/bin/sh
# Runs a Windows program of this build under Wine, in the build's own prefix,
# with Qt's and the compiler's DLLs on its PATH.
export HOME='$wine_home' WINEPREFIX='$wine_prefix' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
export WINEPATH='$(to_windows "$qt/bin");$(to_windows "$gcc_runtime");$(to_windows "/usr/$mingw/lib")'
# Without a console QtTest would write to the debugger.
export WINEQT_FORCE_STDERR_LOGGING=1
# Wine hands no QT_ variable to a Windows program, but turns WINEQT_X into QT_X.
for name in \$(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export WINE\$name=\"\\\$\$name\""
done
exec /usr/lib/wine/wine64 "\$@"
EOF
chmod +x "$build/wine-run"

# An X server for Wine's windows (the caller's, or a private one), a PulseAudio
# server whose null sink is the sound output Wine plays to, and a Wine server
# kept up for the whole run; what the run started is ended on the way out.
run_dir=$(mktemp -d)
xvfb=
pulse=
wine_env() { env HOME="$wine_home" WINEPREFIX="$wine_prefix" WINEDEBUG=-all "$@"; }
finish() {
    wine_env wineserver -k 2>/dev/null || true
    for pid in $pulse $xvfb; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$run_dir"
}
trap finish EXIT
if [ -n "${TOCKARO_WINDOWS_DISPLAY:-}" ]; then
    export DISPLAY=$TOCKARO_WINDOWS_DISPLAY
    xdpyinfo >/dev/null 2>&1 || { echo "no X server answers on $DISPLAY" >&2; exit 1; }
else
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$run_dir/display" \
        2>/dev/null {build_lock}>&- {cache_lock}>&- &
    xvfb=$!
    for _ in $(seq 100); do
        [ -s "$run_dir/display" ] && break
        sleep 0.1
    done
    export DISPLAY=:$(cat "$run_dir/display")
fi
mkdir -m 700 "$run_dir/runtime"
XDG_RUNTIME_DIR=$run_dir/runtime HOME=$run_dir pulseaudio --daemonize=no -n \
    --exit-idle-time=-1 --load="module-null-sink sink_name=nullsink" \
    --load=module-native-protocol-unix >"$run_dir/pulse.log" 2>&1 \
    {build_lock}>&- {cache_lock}>&- &
pulse=$!
export PULSE_SERVER=unix:$run_dir/runtime/pulse/native
for _ in $(seq 100); do
    [ -S "$run_dir/runtime/pulse/native" ] && break
    sleep 0.1
done
[ -S "$run_dir/runtime/pulse/native" ] || { cat "$run_dir/pulse.log" >&2; exit 1; }
if [ ! -f "$wine_prefix/system.reg" ]; then
    say "making the Wine prefix"
    wine_env WINEDLLOVERRIDES='mscoree,mshtml=' /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
    # The boot's own Wine server lingers a while, and a second one for the same
    # prefix would refuse to start: it ends first, writing the prefix's registry.
    wine_env wineserver -w
    [ -f "$wine_prefix/system.reg" ] || { echo "the Wine prefix could not be made" >&2; exit 1; }
fi
# What outlives this run must not hold its locks.
wine_env wineserver -p {build_lock}>&- {cache_lock}>&-
# Wine starts its services with the first program and keeps them as long as the
# server. Started from the build tool, they would hold its output pipe open and
# it would wait for them for good: they are started here, on no pipe.
wine_env /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1 {build_lock}>&- {cache_lock}>&-
say "Wine ready"

# --- Tockaro --------------------------------------------------------------------------
say "building Tockaro for Windows"
cmake -S "$source_dir" -B "$build/build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTOCKARO_WERROR=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$build/wine-run" >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; exit 1; }
nice cmake --build "$build/build" -j "$jobs"

# The program folder: what the install lays out, with every DLL the program,
# its media module and Qt's plugins load, found by following their imports.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/build/CMakeCache.txt")
name=Tockaro-$version-windows-x64
folder=$build/$name
rm -rf "$folder" "$build/$name.zip"
cmake --install "$build/build" --prefix "$folder" >/dev/null
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll multimedia/windowsmediaplugin.dll; do
    mkdir -p "$folder/$(dirname "$plugin")"
    cp "$qt/plugins/$plugin" "$folder/$plugin"
done
dll_folders=("$qt/bin" "$gcc_runtime" "/usr/$mingw/lib")
pending=("$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll)
while [ "${#pending[@]}" -gt 0 ]; do
    binary=${pending[0]}
    pending=("${pending[@]:1}")
    for dll in $("$mingw-objdump" -p "$binary" | sed -n 's/^\s*DLL Name: //p'); do
        [ -e "$folder/$dll" ] && continue
        for dir in "${dll_folders[@]}"; do
            if [ -f "$dir/$dll" ]; then
                cp "$dir/$dll" "$folder/"
                pending+=("$folder/$dll")
                break
            fi
        done
    done
done
# Shipped without symbols and debug sections, which are most of their size.
"$mingw-strip" --strip-unneeded "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll
(cd "$build" && zip -qr "$name.zip" "$name")
say "program folder $folder, zipped as $build/$name.zip ($(du -h "$build/$name.zip" | cut -f1))"
# The folder must do without the build's DLL path: the program answers from it alone.
wine_env /usr/lib/wine/wine64 "$folder/tockaro.exe" --version

# The installer takes every file of the folder but conf and als, which it puts
# only where there are none yet; the uninstaller removes just those files, and
# each folder that is then empty.
nsis=$build/nsis
rm -rf "$nsis"
mkdir -p "$nsis"
(
    cd "$folder"
    windows_path() { local path=${1#.}; printf '%s' "${path//\//\\}"; }
    find . -type d | sort | while read -r dir; do
        printf 'SetOutPath "$INSTDIR%s"\n' "$(windows_path "$dir")"
        find "$dir" -maxdepth 1 -type f ! -path ./conf ! -path ./als | sort |
            while read -r file; do printf 'File "%s"\n' "$folder/${file#./}"; done
    done >"$nsis/files.nsh"
    find . -type f ! -path ./conf ! -path ./als | sort |
        while read -r file; do printf 'Delete "$INSTDIR%s"\n' "$(windows_path "$file")"; done \
            >"$nsis/uninstall.nsh"
    find . -mindepth 1 -type d | sort -r |
        while read -r dir; do printf 'RMDir "$INSTDIR%s"\n' "$(windows_path "$dir")"; done \
            >>"$nsis/uninstall.nsh"
)
installer=$build/$name-setup.exe
makensis -V2 -DVERSION="$version" -DPROGRAM="$folder" -DFILES="$nsis/files.nsh" \
    -DUNINSTALL="$nsis/uninstall.nsh" -DICON="$build/build/tools/tockaro.ico" \
    -DOUTFILE="$installer" assets/windows/tockaro.nsi >"$nsis/makensis.log" 2>&1 ||
    { cat "$nsis/makensis.log"; exit 1; }
say "installer $installer ($(du -h "$installer" | cut -f1))"

# --- Tests under Wine ---------------------------------------------------------------------
say "running the tests under Wine"
# Qt's offscreen platform on Windows reads its fonts from one folder.
export QT_QPA_FONTDIR=$(to_windows /usr/share/fonts/truetype/dejavu)
status=0
(cd "$build/build" && ctest --output-on-failure --timeout 600 -j 1) || status=$?
say "the end-to-end run under Wine"
bash tests/e2e/windows.sh "$build/$name.zip" "$installer" {build_lock}>&- {cache_lock}>&- ||
    status=$?
say "done"
exit "$status"
