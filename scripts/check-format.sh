#!/usr/bin/env bash
# Fails when a C++ file of the tree is not formatted as .clang-format says.
# usage: check-format.sh required|optional (without clang-format: fail, or skip)
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
    echo "clang-format is not installed (bash scripts/setup-debian.sh test installs it)" >&2
    [ "${1:-required}" = optional ] && exit 77
    exit 1
fi
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
