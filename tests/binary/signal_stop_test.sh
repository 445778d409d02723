#!/usr/bin/env bash
# The real program on the default simulated rack, sent SIGTERM while an axis
# runs a continuous move (as `systemctl stop` does): it must stop every
# registered module through the library, write out its trace and end by the
# signal.
#
#   signal_stop_test.sh VELMIRA_BINARY
#
# The program and its driver run on a private desktop (desktop_session.sh);
# what runs there is marked by --in-session.
set -u
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3  # Debian's, for its pyatspi

fail() { echo "FAIL: $*"; exit 1; }

# The default rack "1=Lorvex,3=LorvexF,5=Quenby", every axis of each module.
STOPS="lorvexMF_STOP_SLOWLY(1,15)
lorvexMF_CLEAR_STOP(1)
lorvexMF_STOP_SLOWLY(3,15)
lorvexMF_CLEAR_STOP(3)
quenbyMF_STOP_SLOWLY(5,3)
quenbyMF_CLEAR_STOP(5)"

in_session() {
    local app=$1 work=$2
    cleanup_session() {
        [ -n "${app_pid:-}" ] && kill -KILL "$app_pid" 2>/dev/null && wait "$app_pid"
    }
    trap cleanup_session EXIT

    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$app" --card "$work/card" --trace "$work/trace" \
        >"$work/err" 2>&1 &
    app_pid=$!
    timeout 120 "$python" "$here/signal_stop_run.py" || fail "no continuous move to stop (above)"

    kill -TERM "$app_pid"
    for _ in $(seq 300); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null && fail "the program did not end within 30 s of SIGTERM"
    wait "$app_pid"
    local rc=$?
    app_pid=
    [ $rc -eq 143 ] || fail "exit status $rc, not 143 (ended by SIGTERM)"

    local calls
    calls=$(sed -E 's/^[0-9]+ (.*) -> .*$/\1/' "$work/trace")
    [ "$(tail -n 6 <<<"$calls")" = "$STOPS" ] || fail "the trace does not end with the stops"
    # The axis still ran when the signal came: the last speed read before the stops.
    local speed
    speed=$(grep -E '^[0-9]+ lorvexMF_GET_CV\(1,1\) -> ' "$work/trace" | tail -n 1)
    case $speed in *" -> 0" | *" -> 0 x"* | "") fail "the axis did not run at the signal: ${speed:-no speed read}" ;; esac
}

if [ "${1:-}" = --in-session ]; then
    shift
    in_session "$@"
    exit 0
fi

[ $# -eq 1 ] || { echo "usage: $0 VELMIRA_BINARY" >&2; exit 2; }
app=$1
[ -x "$app" ] || fail "no program at $app"
[ -x "$python" ] || fail "missing tool: $python"
"$python" -c 'import pyatspi' 2>/dev/null ||
    fail "missing tool: pyatspi for $python (Debian package python3-pyatspi)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
mkdir -p "$work/card/Pelmoran"

"$here/desktop_session.sh" bash "$0" --in-session "$app" "$work" 2>"$work/session-err"
if [ $? -ne 0 ]; then
    echo "--- standard error of the session (bus, driver) ---"
    cat "$work/session-err"
    echo "--- standard error of velmira ---"
    cat "$work/err" 2>/dev/null
    [ -s "$work/trace" ] && { echo "--- end of the trace ---"; tail -n 12 "$work/trace"; }
    exit 1
fi
echo "SIGTERM during a continuous move: ok"
