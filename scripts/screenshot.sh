#!/usr/bin/env bash
# Makes the README's picture of the main window: starts the desktop program on a private Xvfb
# with openbox, in a folder of sample pictures, rests the pointer on "Start!" so the status bar
# shows its hint, and saves the window as docs/pictavo-window.png.
#   scripts/screenshot.sh [OUTPUT.png]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
output=${1:-$PICTAVO_SOURCE/docs/pictavo-window.png}
build=${PICTAVO_BUILD_DIR:-$PICTAVO_SOURCE/build}

pictavo_install_missing xvfb xauth openbox xdotool
cmake -S "$PICTAVO_SOURCE" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target pictavo pictavo-help grab-window >/dev/null

work=$(mktemp -d)
cleanup() {
    kill "$program" "$manager" "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/Pictures/Holiday 2026/Day trips" \
    "$work/Pictures/Holiday 2026/Beach" "$work/Pictures/Holiday 2026/Mountains"
chmod 700 "$XDG_RUNTIME_DIR"
# The pictures get a drive of their own, so the list shows no temporary folder names.
mkdir -p "$XDG_CONFIG_HOME/pictavo/dosdevices"
ln -s "$work/Pictures" "$XDG_CONFIG_HOME/pictavo/dosdevices/p:"
touch "$work/Pictures/Holiday 2026/"{beach,boat,harbour}.jpg

exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
server=$!
read -r number <&3
export DISPLAY=":$number"
openbox >/dev/null 2>&1 &
manager=$!
sleep 1

cd "$work/Pictures"
"$build/bin/pictavo" "$work/Pictures/Holiday 2026" &
program=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Zelmar Pictavo$' | head -n 1)
xdotool windowactivate --sync "$window"
# "Start!" lies at 336/208 in the client area, below the menu bar.
xdotool mousemove --window "$window" 420 240
sleep 1
mkdir -p "$(dirname "$output")"
"$build/tests/desktop/grab-window" "$window" "$output"
echo "Saved $output"
