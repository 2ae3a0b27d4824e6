#!/usr/bin/env bash
# Times the desktop program's start on Xvfb, from exec to the main window mapped and drawn with
# its lists filled: once in a folder of a few pictures, once in a folder of 10,000
# subdirectories. Target: at most 250 ms to the drawn window in a Release build.
#
#   bench/startup.sh [RUNS]     (default 15 timed runs after one warm-up)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"
runs=${1:-15}

pictavo_install_missing xvfb xauth libx11-dev
build=${PICTAVO_BUILD_DIR:-$PICTAVO_SOURCE/build-bench}
cmake -S "$PICTAVO_SOURCE" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DPICTAVO_BENCH=ON >/dev/null
cmake --build "$build" --target pictavo pictavo-help pictavo-bench-startup >/dev/null

work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
# A private home, so the runs neither read nor change the user's settings.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/pictures" "$work/folders"
chmod 700 "$XDG_RUNTIME_DIR"
touch "$work/pictures/"{a,b,c}.jpg
(cd "$work/folders" && printf '%05d\n' $(seq 1 10000) | xargs mkdir)

exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
server=$!
read -r number <&3
export DISPLAY=":$number"

for folder in pictures folders; do
    echo "== $folder ($(find "$work/$folder" -mindepth 1 -maxdepth 1 | wc -l) entries)"
    "$build/bench/pictavo-bench-startup" "$runs" "$build/bin/pictavo" "$work/$folder"
done
