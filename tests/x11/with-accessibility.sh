#!/usr/bin/env bash
# with-accessibility.sh COMMAND [ARGS...]
# Runs COMMAND as with-window-manager.sh does, inside a private D-Bus session whose
# accessibility bus (started on demand by at-spi2-core) carries what Qt tells a screen reader,
# as a user of one has it. Exits with COMMAND's status, or 2 when the session cannot be had.
set -u
here=$(cd "$(dirname "$0")" && pwd)
command -v dbus-run-session >/dev/null ||
    { echo "with-accessibility: dbus-run-session is not installed (package dbus)" >&2; exit 2; }
[ -e /usr/share/dbus-1/services/org.a11y.Bus.service ] ||
    { echo "with-accessibility: at-spi2-core is not installed" >&2; exit 2; }
command -v dbus-send >/dev/null ||
    { echo "with-accessibility: dbus-send is not installed (package dbus)" >&2; exit 2; }
# Qt's bridge would otherwise wait for a screen reader to ask for it.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# Asking for the accessibility bus's address starts it: Qt connects only to a bus that is
# there when the program starts.
exec dbus-run-session -- bash -c '
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null || { echo "with-accessibility: no accessibility bus" >&2; exit 2; }
    exec "$0" "$@"' "$here/with-window-manager.sh" "$@"
