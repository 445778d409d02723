#!/usr/bin/env bash
# The program's option handling, run as a user would: no display at all, so any
# attempt to open a window before the options are checked would fail loudly.
set -u
app=$1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
fail() { echo "FAIL: $*"; exit 1; }

# Every option with its default; the default card follows XDG_DATA_HOME.
out=$(XDG_DATA_HOME=/nowhere/data "$app" --help 2>&1); rc=$?
[ $rc -eq 0 ] || fail "--help exited $rc"
for part in "--rack SLOTS" '"1=Lorvex,3=LorvexF,5=Quenby"' "--rack-file FILE" "--card DIR" \
    "/nowhere/data/velmira/CompactFlash" "--platform NAME" "QT_QPA_PLATFORM" "--panel" \
    "--quit-when-shown" "--version" "--help" "-h"; do
    grep -qF -- "$part" <<<"$out" || fail "--help does not mention $part"
done

check_refused() {
    local expected=$1; shift
    local err rc
    err=$("$app" "$@" 2>&1 >/dev/null); rc=$?
    [ $rc -eq 2 ] || fail "$* exited $rc, not 2 ($err)"
    [ "$(wc -l <<<"$err")" -eq 1 ] || fail "$* gave more than one line: $err"
    [ "$err" = "velmira: $expected" ] || fail "$*: got '$err'"
}
# The messages themselves are checked in process (core/options_test.cpp);
# here, that a refusal is one line on standard error and exit status 2.
check_refused 'unknown option "--bogus" (see --help)' --bogus
check_refused '--card needs a value (see --help)' --card
# A plugin that is not there is refused with the names that are, rather than
# Qt aborting the process.
err=$("$app" --platform nosuch:fb=/dev/fb1 2>&1 >/dev/null); rc=$?
[ $rc -eq 2 ] || fail "--platform nosuch exited $rc ($err)"
case $err in
'velmira: --platform: no Qt platform plugin "nosuch:fb=/dev/fb1" is installed (installed: '*offscreen*')') ;;
*) fail "--platform nosuch: got '$err'" ;;
esac
# A panel whose framebuffer is missing: a clear last line and status 2, not
# Qt's abort at the first window. (The half-made linuxfb platform leaks its
# input handlers' memory at exit, which a sanitizer build would report.)
err=$(ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
    "$app" --platform linuxfb:fb=/dev/no-such-fb --card /tmp 2>&1 >/dev/null); rc=$?
[ $rc -eq 2 ] || fail "linuxfb without a framebuffer exited $rc ($err)"
[ "$(tail -1 <<<"$err")" = 'velmira: the platform "linuxfb" found no screen to draw on' ] ||
    fail "linuxfb without a framebuffer: got '$err'"
# --platform wins over QT_QPA_PLATFORM: with no display, only offscreen can start.
card=$(mktemp -d)
err=$(QT_QPA_PLATFORM=xcb "$app" --platform offscreen --card "$card" --quit-when-shown 2>&1); rc=$?
rm -rf "$card"
[ $rc -eq 0 ] || fail "--platform offscreen under QT_QPA_PLATFORM=xcb exited $rc: $err"
rack_file=$(mktemp)
trap 'rm -f "$rack_file"' EXIT
printf '[slot.3.axis.Y]\nhome = [5, 3]\n' >"$rack_file"
check_refused "--rack-file: $rack_file:2:8: slot.3.axis.Y.home: from (5) must not be above to (3)" \
    --rack-file "$rack_file"
# A rack file nested tens of thousands of levels deep: refused, never parsed.
awk 'BEGIN { for (i = 0; i < 40000; i++) printf "a."; print "a = 1" }' >"$rack_file"
check_refused "--rack-file: $rack_file:1:32: key nested deeper than 16 levels, too deep for a rack file" \
    --rack-file "$rack_file"
# Plugins that open the program to the network are refused, however they are
# chosen: Qt's vnc platform serves the screen on every interface with no
# password, whatever its addr= says, and tuiotouch takes touches from anyone.
refused_plugin() {
    local what=$1 pattern=$2; shift 2
    local err rc
    err=$("$@" --card /tmp --quit-when-shown 2>&1 >/dev/null); rc=$?
    [ $rc -eq 2 ] || fail "$what exited $rc, not 2 ($err)"
    [ "$(wc -l <<<"$err")" -eq 1 ] || fail "$what gave more than one line: $err"
    case $err in $pattern) ;; *) fail "$what: got '$err'" ;; esac
}
for platform in vnc vnc:addr=127.0.0.1 'xcb;VNC:port=5901'; do
    refused_plugin "--platform $platform" \
        "velmira: --platform: \"$platform\" is refused: *no password*scripts/run*" \
        "$app" --platform "$platform"
done
refused_plugin "QT_QPA_PLATFORM=vnc" 'velmira: QT_QPA_PLATFORM: "vnc" is refused: *' \
    env QT_QPA_PLATFORM=vnc "$app"
refused_plugin "QT_QPA_GENERIC_PLUGINS=tuiotouch" \
    'velmira: QT_QPA_GENERIC_PLUGINS: "evdevmouse,TuioTouch:udpport=40001" is refused: *network*' \
    env QT_QPA_PLATFORM=offscreen QT_QPA_GENERIC_PLUGINS=evdevmouse,TuioTouch:udpport=40001 "$app"
# A platform that cannot reach its display or device: one line and status 2,
# not Qt's abort (134) with its advice to reinstall.
refused_plugin "--platform xcb without a display" \
    'velmira: the platform "xcb" could not start: could not connect to display' "$app" --platform xcb
refused_plugin "QT_QPA_PLATFORM=xcb without a display" \
    'velmira: the platform "xcb" could not start: *display*' env QT_QPA_PLATFORM=xcb "$app"
refused_plugin "Qt's default platform with DISPLAY=:4093" \
    "velmira: Qt's default platform could not start: *display*" \
    env -u XDG_SESSION_TYPE DISPLAY=:4093 "$app"
if ! ls /dev/dri/card* >/dev/null 2>&1; then
    refused_plugin "--platform eglfs without a DRM device" \
        'velmira: the platform "eglfs" could not start: ?*' "$app" --platform eglfs
fi
# Help or a version that never arrived is no success.
if [ -w /dev/full ]; then
    for option in --help --version; do
        err=$("$app" "$option" 2>&1 >/dev/full); rc=$?
        [ $rc -eq 2 ] || fail "$option to a full disk exited $rc ($err)"
        [ "$err" = "velmira: the output could not be written: No space left on device" ] ||
            fail "$option to a full disk: got '$err'"
    done
fi
echo "options: ok"
