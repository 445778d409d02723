#!/usr/bin/env bash
# The real program on the default simulated rack, on a private X display with
# its own session and accessibility buses: Basic Operation worked as a user
# works it (servo, a fixed move, a continuous move with an on-the-fly speed
# change and a stop, a home search), found by accessible names; then the call
# trace it leaves at its end.
#
#   basic_operation_test.sh VELMIRA_BINARY
#
# The program and its driver run on a private desktop (desktop_session.sh);
# that part of this script is marked by --in-session.
set -u
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3  # Debian's, for its pyatspi

fail() { echo "FAIL: $*"; exit 1; }

in_session() {
    local app=$1 work=$2
    cleanup_session() {
        [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid"
    }
    trap cleanup_session EXIT

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
command -v timeout >/dev/null || fail "missing tool: timeout"
[ -x "$python" ] || fail "missing tool: $python"
"$python" -c 'import pyatspi' 2>/dev/null ||
    fail "missing tool: pyatspi for $python (Debian package python3-pyatspi)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
mkdir -p "$work/card/Pelmoran"

started=$(date +%s)
"$here/desktop_session.sh" bash "$0" --in-session "$app" "$work" 2>"$work/session-err"
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
