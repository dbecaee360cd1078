#!/usr/bin/env bash
# Ringing alarms on one Xvfb with a tray host and a private PulseAudio server
# with a null sink: due second to the alarm window and to its sound at the
# sink, the first alarm of a run and the later ones apart; the gaps while a
# sound repeats and its CPU against the same sound in the player alone;
# resident memory idle, after the first alarm and over RINGS alarms.
#
# usage: bench/run-alarm-bench.sh [RUNS [SECONDS [RINGS]]]   (default 5 runs, 60 s, 500 rings;
#                                                            about 12 minutes)
#        bench/run-alarm-bench.sh 1 10 20                    (a quick look, under 2 minutes)
# BENCH_BUILD names the build tree (default build-bench); an existing tree keeps its build type.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-debian.sh bench
build=${BENCH_BUILD:-build-bench}
type=()
[ -f "$build/CMakeCache.txt" ] || type=(-DCMAKE_BUILD_TYPE=Release)
cmake -S . -B "$build" -G Ninja "${type[@]}" -DTOCKARO_TESTS=OFF -DTOCKARO_BENCH=ON >/dev/null
nice cmake --build "$build" -j 2 --target tockaro sounds icons alarmbench soundloop \
    >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# Two folders, so the player alone has its own lock and no alarm.
cmake --install "$build" --prefix "$work/folder" >/dev/null
cmake --install "$build" --prefix "$work/alone" >/dev/null
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The sound server the program plays to as it would on a desktop; the sink's
# format is the one the bench records in, so the monitor is never resampled.
pulseaudio --daemonize=no -n --exit-idle-time=-1 --log-target=stderr \
    --load="module-null-sink sink_name=nullsink format=s16le rate=44100 channels=2" \
    --load=module-native-protocol-unix 2>"$work/pulseaudio.log" &
pids+=($!)

exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -noreset -nolisten tcp -screen 0 1280x800x24 >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 -u "$display_fd" display_number
export DISPLAY=":$display_number"
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl set-default-sink nullsink
sleep 1

"$build/bench/alarmbench" "$work/folder" "$build/bench/soundloop" "$work/alone" "$@"
