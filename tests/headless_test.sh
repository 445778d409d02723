#!/usr/bin/env bash
# scripts/headless, run as scripts/run runs it without a display: the display
# takes only clients with its cookie, the VNC server listens on loopback only
# with a password in a file only its owner can read.
set -u
headless=$1
fail() { echo "FAIL: $*"; exit 1; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
cat >"$probe" <<'PROBE'
set -u
xdotool getmouselocation >/dev/null 2>&1 || { echo "FAIL: a client with the cookie is refused"; exit 1; }
env -u XAUTHORITY HOME=/nonexistent xdotool getmouselocation >/dev/null 2>&1 &&
    { echo "FAIL: a client without the cookie got in"; exit 1; }
listening=
for _ in $(seq 50); do
    listening=$(ss -Hltn "sport = :$VELMIRA_VNC_PORT" | awk '{print $4}')
    [ -n "$listening" ] && break
    sleep 0.1
done
[ -n "$listening" ] || { echo "FAIL: nothing listens on port $VELMIRA_VNC_PORT"; exit 1; }
for address in $listening; do
    case $address in 127.0.0.1:* | "[::1]:"*) ;; *) echo "FAIL: the VNC server listens on $address"; exit 1 ;; esac
done
[ "$(stat -c %a "$VELMIRA_VNC_PASSWORD_FILE")" = 600 ] || { echo "FAIL: the password file is readable by others"; exit 1; }
[ "$(stat -c %a "$(dirname "$XAUTHORITY")")" = 700 ] || { echo "FAIL: the private folder is open to others"; exit 1; }
echo "headless: display $DISPLAY, VNC 127.0.0.1:$VELMIRA_VNC_PORT with a password"
PROBE
out=$("$headless" bash "$probe" 2>&1); rc=$?
[ $rc -eq 0 ] || fail "$out"
grep -q "one-time password" <<<"$out" || fail "no password was printed: $out"
grep "^headless:" <<<"$out"
