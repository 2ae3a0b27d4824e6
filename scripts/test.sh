#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer, in build-asan/
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

options=(-DBUILD_TESTING=ON)
dir="$PICTAVO_SOURCE/build"
if [ "${1:-}" = "--sanitize" ]; then
    options+=(-DPICTAVO_SANITIZE=ON)
    dir="$PICTAVO_SOURCE/build-asan"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
[ -n "${CI:-}" ] && options+=(-DPICTAVO_WERROR=ON)

# The validators of the installed desktop entry and metainfo; the desktop session test runs
# the program on its own X server with a window manager.
pictavo_install_missing desktop-file-utils appstream xvfb xauth openbox xdotool x11-utils
pictavo_build "$dir" "${options[@]}"
ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)"
