#!/usr/bin/env bash
# Builds the file readers' fuzz target with clang's libFuzzer and the address and
# undefined-behaviour sanitizers, then runs it for the given number of seconds.
#
#   tests/fuzz/run-fuzz.sh SECONDS [WORK_DIR]
#
# WORK_DIR (default build/fuzz) keeps the binary and the corpus it grows.
# Exits 77, the test suite's "skipped", where clang++ or Qt's pkg-config files
# are missing.
set -euo pipefail

seconds=${1:?usage: run-fuzz.sh SECONDS [WORK_DIR]}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
work=${2:-$source_dir/build/fuzz}

clang=$(command -v clang++-14 || command -v clang++ || true)
if [[ -z $clang ]]; then
    echo "clang++ not found: fuzzing skipped"
    exit 77
fi
if ! pkg-config --exists Qt6Core; then
    echo "pkg-config knows no Qt6Core: fuzzing skipped"
    exit 77
fi

sources=("$here/fuzz_alarmline.cpp" "$source_dir/alarms/alarmrecord.cpp"
         "$source_dir/alarms/alarmtable.cpp" "$source_dir/base/textlines.cpp" "$source_dir/base/rounding.cpp"
         "$source_dir/settings/conffile.cpp")
headers=("$source_dir/alarms/alarmrecord.h" "$source_dir/alarms/alarmtable.h" "$source_dir/settings/conffile.h")
binary=$work/fuzz_alarmline
mkdir -p "$work/corpus"

stale=0
for file in "${sources[@]}" "${headers[@]}" "$0"; do
    [[ -x $binary && ! $file -nt $binary ]] || stale=1
done
if ((stale)); then
    echo "building $binary"
    # shellcheck disable=SC2046 # pkg-config prints several words on purpose
    "$clang" -std=c++20 -g -O1 -fPIC \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -DQT_NO_KEYWORDS -DQT_USE_QSTRINGBUILDER -I"$source_dir" \
        $(pkg-config --cflags Qt6Core) "${sources[@]}" $(pkg-config --libs Qt6Core) \
        -o "$binary"
fi

# New inputs go to the first folder; the checked-in seeds are only read.
# A finding must fail the test: libFuzzer's own error code, 77, is the test
# suite's "skipped".
exec "$binary" -max_total_time="$seconds" -print_final_stats=1 -error_exitcode=1 \
    "$work/corpus" "$here/corpus"
