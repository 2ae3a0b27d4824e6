#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh                the normal build, in build/
#   scripts/test.sh --sanitize     AddressSanitizer + UndefinedBehaviorSanitizer, in build-asan/
#   scripts/test.sh --locale NAME  the normal build's tests once more with every locale
#                                  category set to NAME (e.g. tr_TR.UTF-8), as a user has it
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

options=(-DBUILD_TESTING=ON)
dir="$PICTAVO_SOURCE/build"
locale=
case "${1:-}" in
--sanitize)
    options+=(-DPICTAVO_SANITIZE=ON)
    dir="$PICTAVO_SOURCE/build-asan"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ;;
--locale)
    locale=${2:?"--locale needs a locale name"}
    ;;
"") ;;
*)
    echo "usage: scripts/test.sh [--sanitize | --locale NAME]" >&2
    exit 2
    ;;
esac
[ -n "${CI:-}" ] && options+=(-DPICTAVO_WERROR=ON)

# The validators of the installed desktop entry and metainfo; the window tests run on a
# private X server with a window manager, where xprop reads titles and xdotool types keys; the
# accessibility test runs in a D-Bus session of its own and reads through AT-SPI; the Wayland
# session test runs the programs under a headless Weston with Qt's Wayland platform.
pictavo_install_missing desktop-file-utils appstream xvfb xauth openbox x11-utils xdotool \
    dbus-daemon dbus-bin at-spi2-core python3-pyatspi weston qt6-wayland
if [ -n "$locale" ]; then
    PICTAVO_LOCALES+=("$locale")
    pictavo_generate_locales
    # Built already by the normal run; this only checks that nothing changed since.
    pictavo_build "$dir" "${options[@]}"
    LANG=$locale LC_ALL=$locale ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)"
    exit
fi
pictavo_generate_locales
pictavo_build "$dir" "${options[@]}"
ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)"
