#!/usr/bin/env bash
# Starts the real program with the test library in all three roles on a virtual
# display, opens Configuration by a click, comes back and closes the menu; then
# checks what reached the library and what the trace says.
set -u
app=$1 lib=$2 lacking=$3
work=$(mktemp -d)
cleanup() {
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/err" ] && cat "$work/err"; exit 1; }

# A library lacking a function is refused before any window: no display needed.
err=$(env -u DISPLAY -u QT_QPA_PLATFORM "$app" --lorvex-lib "$lacking" 2>&1); rc=$?
[ $rc -eq 2 ] || fail "lacking library: exit $rc"
[ "$err" = "velmira: --lorvex-lib: $lacking: lacks lorvexMF_SET_V" ] || fail "message: $err"

n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n"
unset QT_QPA_PLATFORM

mkdir -p "$work/card/Pelmoran"
printf 'GetSlotAddr(2) 512\nIoReadByte(512) 69\nlorvexMF_REGISTRATION(2,2) 1\n' >"$work/script"
VELMIRA_TESTLIB_LOG="$work/calls" VELMIRA_TESTLIB_SCRIPT="$work/script" \
    "$app" --card "$work/card" --lorvex-lib "$lib" --quenby-lib "$lib" --backplane-lib "$lib" \
    --trace "$work/trace" 2>"$work/err" &
app_pid=$!

menu=$(timeout 30 xdotool search --sync --onlyvisible --name '^Velmira$' | head -n 1)
[ -n "$menu" ] || fail "no main menu"
# The Configuration button: dialog units (1,143) 73 x 26, six and thirteen
# pixels per four and eight units.
xdotool mousemove --window "$menu" 50 252 click 1
screen=$(timeout 30 xdotool search --sync --onlyvisible --name '^Configation$' | head -n 1)
[ -n "$screen" ] || fail "Configuration did not open"
xdotool windowfocus --sync "$screen" key Escape
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Configation$' >/dev/null || break; sleep 0.1; done
xdotool windowfocus --sync "$menu" key Escape
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end with its main menu"
wait "$app_pid"; rc=$?; app_pid=
[ $rc -eq 0 ] || fail "exit status $rc"

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
echo "binary with test library: ok"
