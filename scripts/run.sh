#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program, in DIR when one is given:
#   scripts/run.sh [DIR]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
pictavo_install_missing
# Only the programs: the tests and benchmarks are scripts/test.sh's, and would triple the wait.
pictavo_build "$PICTAVO_SOURCE/build" -DBUILD_TESTING=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: Pictavo's window needs a graphical session (DISPLAY or WAYLAND_DISPLAY)." >&2
    echo "To index a directory without one, run:" >&2
    echo "    $PICTAVO_SOURCE/build/cli/pictavo-index [--height H --width W] [--output NAME] DIR" >&2
    exit 1
fi
exec "$PICTAVO_SOURCE/build/bin/pictavo" "$@"
