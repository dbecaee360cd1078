#!/usr/bin/env bash
# Fails on an include that goes against the tree's layering, or on two files
# (a header with its source counted as one) that include each other, however
# far round. Layers come from the folders' sources.cmake lists: pure logic
# (CORE), adapters (PLATFORM), windows (GUI), and what the media module and
# the sound program are built from.
#  - base/ includes nothing of the project outside base/;
#  - nothing outside app/ includes app/;
#  - the subsystems (alarmengine, alarms, display, playback, settings) never
#    include platform/;
#  - pure logic never includes a window or an adapter;
#  - adapters never include a window.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A layer
for list in */sources.cmake; do
    current=
    while read -r word; do
        case "$word" in
        *TOCKARO_CORE_SOURCES) current=core ;;
        *TOCKARO_PLATFORM_SOURCES) current=platform ;;
        *TOCKARO_GUI_SOURCES) current=gui ;;
        *_SOURCES) current=media ;;
        *.h | *.cpp)
            # A file in the pure library and a media target is pure logic.
            [ "${layer[$word]:-}" = core ] || layer[$word]=$current
            ;;
        esac
    done < <(tr ' ()' '\n\n\n' <"$list" | sed '/^\s*$/d')
done

failures=0
fail() {
    echo "$1" >&2
    failures=$((failures + 1))
}

edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
for file in "${!layer[@]}"; do
    from_folder=${file%%/*}
    from_unit=${file%.*}
    while read -r included; do
        [ -n "$included" ] || continue
        to_folder=${included%%/*}
        to_layer=${layer[$included]:-}
        if [ "$from_folder" = base ] && [ "$to_folder" != base ]; then
            fail "$file includes $included: base/ includes only base/"
        fi
        if [ "$to_folder" = app ] && [ "$from_folder" != app ]; then
            fail "$file includes $included: only app/ includes app/"
        fi
        case "$from_folder" in
        alarmengine | alarms | display | playback | settings)
            [ "$to_folder" != platform ] || fail "$file includes $included: a subsystem includes no adapter"
            ;;
        esac
        case "${layer[$file]}:$to_layer" in
        core:gui | core:platform) fail "$file includes $included: pure logic includes no ${to_layer} file" ;;
        platform:gui) fail "$file includes $included: an adapter includes no window" ;;
        esac
        to_unit=${included%.*}
        [ "$to_unit" = "$from_unit" ] || echo "$from_unit $to_unit" >>"$edges"
    done < <(sed -n 's/^#include "\([a-z]*\/[^"]*\)".*/\1/p' "$file")
done
if ! tsort "$edges" >/dev/null 2>"$edges.loop"; then
    fail "files that include each other: $(grep -v 'input contains a loop' "$edges.loop" | sed 's/^tsort: //' | tr '\n' ' ')"
fi
rm -f "$edges.loop"
[ "$failures" -eq 0 ] || exit 1
echo "${#layer[@]} files, every include downwards, no cycle"
