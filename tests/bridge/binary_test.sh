#!/usr/bin/env bash
# Starts the real program with the test library in all three roles on a private
# desktop, opens Configuration by a click on its button (found by its
# accessible name), comes back and closes the menu; then checks what reached
# the library and what the trace says. Then twice more, ended by SIGINT and by
# SIGHUP with Configuration open: the module's axes are stopped first.
set -u
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3  # Debian's, for its pyatspi
fail() { echo "FAIL: $*"; [ -f "$work/err" ] && cat "$work/err"; exit 1; }

# The part that runs on the private desktop: the program and its driver.
if [ "${1:-}" = --in-session ]; then
    app=$2 lib=$3 work=$4
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
        VELMIRA_TESTLIB_LOG="$work/calls" VELMIRA_TESTLIB_SCRIPT="$work/script" \
        "$app" --card "$work/card" --lorvex-lib "$lib" --quenby-lib "$lib" --backplane-lib "$lib" \
        --trace "$work/trace" 2>"$work/err" &
    app_pid=$!
    timeout 120 "$python" "$here/binary_run.py" || { kill "$app_pid" 2>/dev/null; exit 1; }
    for _ in $(seq 300); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app_pid" 2>/dev/null && { kill "$app_pid"; fail "the program did not end with its main menu"; }
    wait "$app_pid"; rc=$?
    [ $rc -eq 0 ] || fail "exit status $rc"

    # A signal while Configuration is open ends the program by it, once the
    # registered module's axes are stopped. A background job of a shell starts
    # with SIGINT ignored, and the program keeps an ignored signal ignored.
    for sig in INT HUP; do
        # xdotool's synchronous move to where the pointer already is waits 15 s.
        xdotool mousemove 0 0
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
            VELMIRA_TESTLIB_LOG="$work/calls-$sig" VELMIRA_TESTLIB_SCRIPT="$work/script" \
            env --default-signal="$sig" "$app" --card "$work/card" --lorvex-lib "$lib" \
            --quenby-lib "$lib" --backplane-lib "$lib" 2>"$work/err" &
        app_pid=$!
        timeout 120 "$python" "$here/binary_run.py" open || { kill -KILL "$app_pid"; exit 1; }
        kill -"$sig" "$app_pid"
        # Quiet: no "Hangup" line from this shell.
        for _ in $(seq 300); do kill -0 "$app_pid" || break; sleep 0.1; done 2>/dev/null
        kill -0 "$app_pid" 2>/dev/null && { kill -KILL "$app_pid"; fail "SIG$sig did not end the program"; }
        wait "$app_pid" 2>/dev/null; rc=$?
        [ $rc -eq $((128 + $(kill -l "$sig"))) ] || fail "SIG$sig: exit status $rc"
    done
    exit 0
fi

app=$1 lib=$2 lacking=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A library lacking a function is refused before any window: no display needed.
err=$(env -u DISPLAY -u QT_QPA_PLATFORM "$app" --lorvex-lib "$lacking" 2>&1); rc=$?
[ $rc -eq 2 ] || fail "lacking library: exit $rc"
[ "$err" = "velmira: --lorvex-lib: $lacking: lacks lorvexMF_SET_V" ] || fail "message: $err"

mkdir -p "$work/card/Pelmoran"
printf 'GetSlotAddr(2) 512\nIoReadByte(512) 69\nlorvexMF_REGISTRATION(2,2) 1\n' >"$work/script"
"$here/../binary/desktop_session.sh" bash "$0" --in-session "$app" "$lib" "$work" ||
    fail "the program on its desktop (above)"

# The menu's probe, the screen's probe with registration, the servo-off on "Return".
probe() {
    for s in 1 2 3 4 5 6 7; do
        echo "GetSlotAddr($s)"
        if [ $s -eq 2 ]; then echo "IoReadByte(512)"; else echo "IoReadByte(0)"; fi
        if [ $s -eq 2 ] && [ "${1:-}" = register ]; then echo "lorvexMF_REGISTRATION(2,2)"; fi
    done
}
expected=$(probe; probe register; echo "lorvexMF_SERVO_OFF(2,15)")
[ "$(cat "$work/calls")" = "$expected" ] || fail "calls: $(cat "$work/calls")"
[ "$(sed -E 's/^[0-9]+ (.*) -> .*$/\1/' "$work/trace")" = "$expected" ] || fail "trace: $(cat "$work/trace")"
grep -qx '[0-9]* IoReadByte(512) -> 69' "$work/trace" || fail "trace results: $(cat "$work/trace")"
stopped=$(probe; probe register; echo "lorvexMF_STOP_SLOWLY(2,15)"; echo "lorvexMF_CLEAR_STOP(2)")
for sig in INT HUP; do
    [ "$(cat "$work/calls-$sig")" = "$stopped" ] || fail "calls before SIG$sig: $(cat "$work/calls-$sig")"
done
echo "binary with test library: ok"
