# What the end-to-end scripts share. The script sets `work` (its temporary
# folder), `folder` (the program folder) and `pids` (what it started, ended on
# exit) before it sources this.

faketime_lib=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1 || true)

# A home, configuration, data, cache and runtime folder of the run's own, so
# nothing the run writes lands in the real home.
private_home() {
    export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
    export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# A script ends what else it started in before_cleanup, when it has one.
cleanup() {
    local pid
    if declare -F before_cleanup >/dev/null; then before_cleanup; fi
    for pid in "${pids[@]}"; do
        kill -9 "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [ -f "$log" ] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }
    done
    exit 1
}

step() { echo "$(basename "$0" .sh): $*"; }

# Polls a command every 50 ms until it succeeds or the deadline passes.
wait_for() {
    local what=$1 seconds=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for $what"
        sleep 0.05
    done
}

# A visible window by its whole title, and whether one is up.
window_named() { xdotool search --onlyvisible --name "^$1\$" | head -n 1; }
shown() { [ -n "$(window_named "$1")" ]; }
hidden() { [ -z "$(window_named "$1")" ]; }

running() { kill -0 "$1" 2>/dev/null && [ "$(ps -o stat= -p "$1" | cut -c1)" != Z ]; }
ended() { ! running "$1"; }

# start_program NAME [VARIABLE=VALUE...]: starts the installed program, its log
# in NAME.log, its PID in last_pid. With FAKE_START set, the program's clock
# starts at that local time and runs on.
start_program() {
    local name=$1 preload=
    shift
    [ -n "${FAKE_START:-}" ] && preload=$faketime_lib
    env "$@" QT_QPA_PLATFORM=xcb QT_MEDIA_BACKEND=gstreamer QT_LOGGING_RULES='tockaro.*.info=true' \
        GST_PLUGIN_FEATURE_RANK=fakeaudiosink:MAX "LD_PRELOAD=$preload" \
        "FAKETIME=${FAKE_START:+@$FAKE_START}" DONT_FAKE_MONOTONIC=1 \
        "$folder/tockaro" >"$work/$name.log" 2>&1 &
    pids+=($!)
    last_pid=$!
}

# Starts Xvfb on a free display, 1280 x 800, and points DISPLAY at it.
start_xvfb() {
    local display_fd display_number
    exec {display_fd}<> <(:)
    Xvfb -displayfd "$display_fd" -noreset -nolisten tcp -screen 0 1280x800x24 >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    read -r -t 10 -u "$display_fd" display_number || fail "Xvfb did not start"
    export DISPLAY=":$display_number"
}
