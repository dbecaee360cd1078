#!/usr/bin/env bash
# What an install puts on the desktop validates, and the uninstall leaves a
# program folder holding the user's conf and als as it was, for a prefix in
# the home folder (entries in the XDG data folder) and outside it. A prefix
# whose name holds a line break is refused. The
# uninstall also takes away the autostart entry that starts the program it
# removes, but not one named alike that starts another.
#
# usage: desktop-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
id=example.tockaro.Tockaro
snapshot() { (cd "$1" && find . -type d | LC_ALL=C sort && find . -type f -exec md5sum {} + | LC_ALL=C sort); }

export HOME=$work/home
unset XDG_DATA_HOME XDG_CONFIG_HOME
autostart=$HOME/.config/autostart
mkdir -p "$HOME"
# A line break in the folder's name would end Exec and start a line of the
# name's making: such an install fails before it writes anything, the build's
# record of what it installed included.
manifest() { md5sum "$build/install_manifest.txt" 2>/dev/null || true; }
before=$(snapshot "$work")
manifest_before=$(manifest)
if cmake --install "$build" --prefix "$HOME/my"$'\n''Exec=x' >"$work/refused.log" 2>&1; then
    fail "an install into a folder whose name holds a line break went ahead"
fi
tr -s " \n" "  " <"$work/refused.log" | grep -q "holds a control character" ||
    fail "the refusal does not say why"
rm "$work/refused.log"
[ "$(snapshot "$work")" = "$before" ] || fail "the refused install wrote into $work"
[ "$(manifest)" = "$manifest_before" ] || fail "the refused install wrote its manifest"
# A space and a dollar in the folder's name test Exec's quoting.
for folder in "$work/opt/my \$clock" "$HOME/my \$clock"; do
    data=$folder/share
    [[ $folder == "$HOME"/* ]] && data=$HOME/.local/share
    mkdir -p "$folder"
    printf 'False\r\n\r\n0\r\n0\r\n0\r\n' >"$folder/conf"
    printf 'my alarms\r\n' >"$folder/als"
    before=$(snapshot "$work")
    cmake --install "$build" --prefix "$folder" >/dev/null
    entry=$data/applications/$id.desktop
    desktop-file-validate "$entry" || fail "the menu entry does not validate"
    exec_path=${folder//'$'/'\\$'} # \$ inside the quotes, its backslash escaped
    grep -qxF "Exec=\"$exec_path/tockaro\"" "$entry" || fail "Exec in $entry"
    appstreamcli validate --no-net "$data/metainfo/$id.metainfo.xml" >/dev/null ||
        fail "the metainfo does not validate"
    for size in 16 22 24 32 48 64 128 256; do
        [ "$(identify -format %w "$data/icons/hicolor/${size}x$size/apps/tockaro.png")" = "$size" ] || fail "$size px icon"
    done
    # The entry the options dialog writes for this folder; outside the home
    # folder it starts a program elsewhere.
    mkdir -p "$autostart"
    real=$(realpath "$folder")
    started=${real//'$'/'\\$'}/tockaro
    [[ $folder == "$HOME"/* ]] || started=/elsewhere/tockaro
    entry=$autostart/tockaro-$(printf %s "$real" | sha1sum | cut -c1-16).desktop
    printf '[Desktop Entry]\nType=Application\nExec="%s"\n' "$started" >"$entry"
    cmake -D "MANIFEST=$build/install_manifest.txt" -P "$source_dir/cmake/uninstall.cmake" >/dev/null
    if [ "$started" = /elsewhere/tockaro ]; then
        [ -f "$entry" ] || fail "uninstall removed an autostart entry of another program"
    else
        [ ! -e "$entry" ] || fail "uninstall left the autostart entry of the program it removed"
    fi
    rm -rf "$HOME/.config"
    # The data folder's own folders (.local/share) may stay; no file may.
    [ -z "$(find "$HOME/.local" -type f 2>/dev/null)" ] || fail "uninstall left files in $HOME/.local"
    rm -rf "$HOME/.local"
    [ "$(snapshot "$work")" = "$before" ] || fail "uninstall did not leave $folder as it was"
done
echo "desktop install and uninstall: ok"
