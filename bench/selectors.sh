#!/usr/bin/env bash
# Times filling the directory list (10,000 subdirectories) and the drive list (26 drives) in
# a Release build, beside a one-pass readdir floor. Targets: 100 ms and 20 ms.
#
#   bench/selectors.sh [COUNT [RUNS]]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"
pictavo_install_missing

build="${PICTAVO_BENCH_BUILD:-$PICTAVO_SOURCE/build-bench}"
cmake -S "$PICTAVO_SOURCE" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DPICTAVO_BENCH=ON >/dev/null
cmake --build "$build" --target pictavo-bench-selectors >/dev/null
"$build/bench/pictavo-bench-selectors" "$@"
