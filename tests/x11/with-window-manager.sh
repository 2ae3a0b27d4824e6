#!/usr/bin/env bash
# with-window-manager.sh COMMAND [ARGS...]
# Runs COMMAND on a private X server (Xvfb, on a display number the server picks itself) with
# openbox managing its windows, then stops both, whatever COMMAND did. Exits with COMMAND's
# status, or 2 when the server or the window manager does not come up.
set -u

work=$(mktemp -d "${TMPDIR:-/tmp}/pictavo-x11-XXXXXX") || exit 2
server_pid=
manager_pid=

stop() {
    local pid
    for pid in "$manager_pid" "$server_pid"; do
        [ -n "$pid" ] || continue
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
    echo "with-window-manager: $*" >&2
    [ -s "$work/server.log" ] && sed 's/^/  Xvfb: /' "$work/server.log" >&2
    [ -s "$work/manager.log" ] && sed 's/^/  openbox: /' "$work/manager.log" >&2
    exit 2
}

# Waits up to 60 s (the machine may be loaded) until the command CONDITION succeeds, while PID
# lives.
wait_for() {
    local pid=$1 condition=$2 i
    for ((i = 0; i < 600; ++i)); do
        "$condition" && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

command -v Xvfb >/dev/null || fail "Xvfb is not installed (package xvfb)"
command -v openbox >/dev/null || fail "openbox is not installed (package openbox)"
command -v xauth >/dev/null || fail "xauth is not installed (package xauth)"

# Only holders of the cookie may connect: other users' programs stay off this display.
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
: >"$work/server.auth"
: >"$work/client.auth"
: >"$work/display"
xauth -q -f "$work/server.auth" add :0 MIT-MAGIC-COOKIE-1 "$cookie" || fail "xauth failed"

# The parent-death signal takes the server and the window manager down even when this script
# is killed outright (a test timeout), so nothing is left behind on the machine.
setpriv --pdeathsig TERM Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    -auth "$work/server.auth" 3>"$work/display" >"$work/server.log" 2>&1 &
server_pid=$!
display_told() { [ -n "$(tr -dc 0-9 <"$work/display")" ]; }
wait_for "$server_pid" display_told ||
    fail "the X server did not start"
display=:$(tr -dc 0-9 <"$work/display")

export XAUTHORITY="$work/client.auth"
xauth -q add "$display" MIT-MAGIC-COOKIE-1 "$cookie" || fail "xauth failed"
export DISPLAY=$display

# openbox keeps its settings and cache in the private folder, and announces itself once it
# manages the screen.
mkdir -p "$work/config" "$work/cache"
XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
    setpriv --pdeathsig TERM openbox --sm-disable --startup "touch '$work/managing'" \
    >"$work/manager.log" 2>&1 &
manager_pid=$!
managing() { [ -e "$work/managing" ]; }
wait_for "$manager_pid" managing || fail "openbox did not start"

QT_QPA_PLATFORM=xcb "$@"
