#!/usr/bin/env bash
# Runs a command on a private desktop: its own X display, its own session bus
# and its own accessibility bus, all gone when it ends.
#
#   desktop_session.sh COMMAND [ARGUMENT...]
#
# The command finds DISPLAY, DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR set;
# QT_QPA_PLATFORM is unset, so a Qt program goes to the X display. The exit
# status is the command's, or 1 when the desktop could not be set up.
#
# The script runs itself a second time inside dbus-run-session; that part
# (marked by --in-session) starts the accessibility bus and the command.
set -u
launcher=/usr/libexec/at-spi-bus-launcher

fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "${1:-}" = --in-session ]; then
    shift
    cleanup_session() {
        [ -n "${launcher_pid:-}" ] && kill "$launcher_pid" 2>/dev/null && wait "$launcher_pid"
    }
    trap cleanup_session EXIT
    "$launcher" --launch-immediately >/dev/null 2>&1 &
    launcher_pid=$!
    # Qt asks the session bus for the accessibility bus once, at start-up.
    owned=
    for _ in $(seq 200); do
        owned=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus \
            /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null)
        case $owned in *"boolean true"*) break ;; esac
        kill -0 "$launcher_pid" 2>/dev/null || fail "the accessibility bus launcher ended"
        sleep 0.05
    done
    case $owned in *"boolean true"*) ;; *) fail "no accessibility bus after 10 s" ;; esac
    "$@"
    exit $?
fi

[ $# -ge 1 ] || { echo "usage: $0 COMMAND [ARGUMENT...]" >&2; exit 2; }
for tool in Xvfb xdotool dbus-run-session dbus-send; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool (see scripts/deps)"
done
[ -x "$launcher" ] || fail "missing tool: $launcher (Debian package at-spi2-core)"

private=$(mktemp -d)
cleanup() {
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid"
    rm -rf "$private"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Xvfb takes the first free display itself and names it once it accepts
# clients: no race with another server for a number. Without -noreset the
# server resets whenever its last client leaves (the accessibility bus
# launcher, an xdotool call) and refuses connections meanwhile: a program
# starting at that moment cannot open the display.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp \
    3>"$private/display" >"$private/xvfb" 2>&1 &
xvfb_pid=$!
display=
for _ in $(seq 200); do
    display=$(head -n 1 "$private/display" 2>/dev/null)
    [ -n "$display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$private/xvfb" >&2; fail "Xvfb ended"; }
    sleep 0.05
done
[ -n "$display" ] || fail "Xvfb gave no display within 10 s"
export DISPLAY=":$display"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
mkdir -m 700 "$private/runtime"
export XDG_RUNTIME_DIR="$private/runtime"

dbus-run-session -- bash "$0" --in-session "$@"
