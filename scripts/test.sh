#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds with warnings as errors and runs every
# test, the end-to-end run included.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-debian.sh test
cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOCKARO_WERROR=ON -DTOCKARO_BENCH=ON
cmake --build build-ci -j "$(nproc)"
cd build-ci
ctest --output-on-failure --timeout 600 -j 2
