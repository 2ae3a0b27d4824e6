#!/usr/bin/env bash
# Makes the README's picture of the main window: starts the desktop program on a private Xvfb
# with openbox, in a folder of sample pictures, rests the pointer on "Start!" so the status bar
# shows its hint, and saves the window as docs/pictavo-window.png.
#   scripts/screenshot.sh [OUTPUT.png]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
output=$(realpath -m "${1:-$PICTAVO_SOURCE/docs/pictavo-window.png}")
build=${PICTAVO_BUILD_DIR:-$PICTAVO_SOURCE/build}

if [ "${PICTAVO_SCREENSHOT_ON_DISPLAY:-}" != 1 ]; then
    pictavo_install_missing xvfb xauth openbox xdotool
    cmake -S "$PICTAVO_SOURCE" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
    cmake --build "$build" --target pictavo pictavo-help grab-window >/dev/null
    PICTAVO_SCREENSHOT_ON_DISPLAY=1 PICTAVO_BUILD_DIR=$build \
        exec "$PICTAVO_SOURCE/tests/x11/with-window-manager.sh" "$0" "$output"
fi

# On the private display from here on.
work=$(mktemp -d)
trap 'kill "$program" 2>/dev/null; wait "$program" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/Pictures/Holiday 2026/Day trips" \
    "$work/Pictures/Holiday 2026/Beach" "$work/Pictures/Holiday 2026/Mountains"
chmod 700 "$XDG_RUNTIME_DIR"
# The pictures get a drive of their own, so the list shows no temporary folder names.
mkdir -p "$XDG_CONFIG_HOME/pictavo/dosdevices"
ln -s "$work/Pictures" "$XDG_CONFIG_HOME/pictavo/dosdevices/p:"
touch "$work/Pictures/Holiday 2026/"{beach,boat,harbour}.jpg

cd "$work/Pictures"
"$build/bin/pictavo" "$work/Pictures/Holiday 2026" &
program=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Zelmar Pictavo$' | head -n 1)
xdotool windowactivate --sync "$window"
# "Start!" lies at 336/208 in the client area, below the menu bar.
xdotool mousemove --window "$window" 420 240
sleep 1
mkdir -p "$(dirname "$output")"
"$build/ui/grab-window" "$window" "$output"
echo "Saved $output"
