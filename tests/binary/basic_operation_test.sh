#!/usr/bin/env bash
# The real program on the default simulated rack, on a private X display with
# its own session and accessibility buses: Basic Operation worked as a user
# works it (servo, a fixed move, a continuous move with an on-the-fly speed
# change and a stop, a home search), found by accessible names; then the call
# trace it leaves at its end.
#
#   basic_operation_test.sh VELMIRA_BINARY
#
# The script runs itself a second time inside dbus-run-session; that part
# (marked by --in-session) starts the accessibility bus, the program and the
# driver.
set -u
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
python=/usr/bin/python3  # Debian's, for its pyatspi

fail() { echo "FAIL: $*"; exit 1; }

in_session() {
    local app=$1 work=$2
    cleanup_session() {
        [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid"
        [ -n "${launcher_pid:-}" ] && kill "$launcher_pid" 2>/dev/null && wait "$launcher_pid"
    }
    trap cleanup_session EXIT

    "$launcher" --launch-immediately >/dev/null 2>&1 &
    launcher_pid=$!
    # Qt asks the session bus for the accessibility bus once, at start-up.
    local owned=
    for _ in $(seq 200); do
        owned=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus \
            /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null)
        case $owned in *"boolean true"*) break ;; esac
        kill -0 "$launcher_pid" 2>/dev/null || fail "the accessibility bus launcher ended"
        sleep 0.05
    done
    case $owned in *"boolean true"*) ;; *) fail "no accessibility bus after 10 s" ;; esac

    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$app" --card "$work/card" --trace "$work/trace" \
        >"$work/err" 2>&1 &
    app_pid=$!

    timeout 180 "$python" "$here/basic_operation_run.py" drive
    local rc=$?
    [ $rc -eq 124 ] && fail "the screens were not worked through within 180 s"
    [ $rc -eq 0 ] || fail "the screens did not do what a user expects (above)"

    # Escape on the main menu ends the program; the sanitizer build checks
    # for leaks on the way out.
    for _ in $(seq 600); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null &&
        fail "the program did not end within 60 s of Escape on its main menu"
    wait "$app_pid"
    rc=$?
    app_pid=
    [ $rc -eq 0 ] || fail "the program ended with status $rc"

    "$python" "$here/basic_operation_run.py" trace "$work/trace" || fail "the trace (above)"
}

if [ "${1:-}" = --in-session ]; then
    shift
    in_session "$@"
    exit 0
fi

[ $# -eq 1 ] || { echo "usage: $0 VELMIRA_BINARY" >&2; exit 2; }
app=$1
[ -x "$app" ] || fail "no program at $app"
for tool in Xvfb xdotool dbus-run-session dbus-send timeout; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool (see scripts/deps)"
done
[ -x "$launcher" ] || fail "missing tool: $launcher (Debian package at-spi2-core)"
[ -x "$python" ] || fail "missing tool: $python"
"$python" -c 'import pyatspi' 2>/dev/null ||
    fail "missing tool: pyatspi for $python (Debian package python3-pyatspi)"

work=$(mktemp -d)
cleanup() {
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Xvfb takes the first free display itself and names it once it accepts
# clients: no race with another server for a number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb" 2>&1 &
xvfb_pid=$!
display=
for _ in $(seq 200); do
    display=$(head -n 1 "$work/display" 2>/dev/null)
    [ -n "$display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb"; fail "Xvfb ended"; }
    sleep 0.05
done
[ -n "$display" ] || fail "Xvfb gave no display within 10 s"
export DISPLAY=":$display"
# CTest runs with the offscreen platform; the program needs the X display here.
unset QT_QPA_PLATFORM
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$work/card/Pelmoran"

started=$(date +%s)
dbus-run-session -- bash "$0" --in-session "$app" "$work" 2>"$work/session-err"
rc=$?
if [ $rc -ne 0 ]; then
    echo "--- standard error of the session (bus, driver) ---"
    cat "$work/session-err"
    echo "--- standard error of velmira ---"
    cat "$work/err" 2>/dev/null
    [ -s "$work/trace" ] && { echo "--- end of the trace ---"; tail -n 20 "$work/trace"; }
    exit 1
fi
echo "basic operation on the simulated rack: ok in $(($(date +%s) - started)) s"
