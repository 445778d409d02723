#!/usr/bin/env bash
# scripts/headless, run as scripts/run runs it without a display: the display
# takes only clients with its cookie, the VNC server listens on loopback only
# with a password in a file only its owner can read, and neither secret is
# ever on a command line, where every local user can read it.
set -u
headless=$1
fail() { echo "FAIL: $*"; exit 1; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
work=$(mktemp -d)
scan_pid=
cleanup() {
    [ -z "$scan_pid" ] || kill "$scan_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export VELMIRA_TEST_SECRETS=$work/secrets

# Another user reads every process's command line over and over, from before
# the run starts until it ends, as whoever took the cookie did.
scan_as=()
if [ "$(id -u)" -eq 0 ]; then scan_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups); fi
# (The system's python: one under root's home is out of nobody's reach.)
(cd / && exec "${scan_as[@]}" env PATH=/usr/local/bin:/usr/bin:/bin python3 -c '
import os, sys, time
seen, out, first = set(), sys.stdout.buffer, True
while True:
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            fd = os.open("/proc/" + pid + "/cmdline", os.O_RDONLY)
            try:
                args = os.read(fd, 1 << 16)
            finally:
                os.close(fd)
        except OSError:
            continue
        if args and args not in seen:
            seen.add(args)
            out.write(args.replace(b"\0", b" ") + b"\n")
            out.flush()
    if first:
        out.write(b"-- scanning\n")
        out.flush()
        first = False
    time.sleep(0.001)
') >"$work/seen" 2>"$work/scan-errors" &
scan_pid=$!
for _ in $(seq 100); do
    grep -qx -- '-- scanning' "$work/seen" && break
    kill -0 "$scan_pid" 2>/dev/null || fail "the scan did not start: $(cat "$work/scan-errors")"
    sleep 0.1
done

cat >"$work/probe" <<'PROBE'
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
# The server offers VNC authentication alone, and refuses a wrong answer.
env PATH=/usr/local/bin:/usr/bin:/bin python3 -c '
import socket, sys
f = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=10).makefile("rwb")
f.read(12)
f.write(b"RFB 003.008\n"); f.flush()
types = list(f.read(f.read(1)[0]))
if types != [2]: sys.exit("FAIL: the VNC server offers security types %s" % types)
f.write(b"\x02"); f.flush()
f.read(16)
f.write(bytes(16)); f.flush()
if f.read(4) != b"\0\0\0\1": sys.exit("FAIL: the VNC server took a wrong password")
' "$VELMIRA_VNC_PORT" || exit 1
[ "$(stat -c %a "$VELMIRA_VNC_PASSWORD_FILE")" = 600 ] || { echo "FAIL: the password file is readable by others"; exit 1; }
[ "$(stat -c %a "$(dirname "$XAUTHORITY")")" = 700 ] || { echo "FAIL: the private folder is open to others"; exit 1; }
# The secrets, for the scan's record; only ever in files and pipes.
(umask 077 && xauth list | awk '$3 != "" {print $3}' >"$VELMIRA_TEST_SECRETS")
[ -s "$VELMIRA_TEST_SECRETS" ] || { echo "FAIL: the display has no cookie"; exit 1; }
grep -qx '[A-Za-z0-9]\{8\}' "$VELMIRA_VNC_PASSWORD_FILE" || { echo "FAIL: no 8-character password"; exit 1; }
cat "$VELMIRA_VNC_PASSWORD_FILE" >>"$VELMIRA_TEST_SECRETS"
# Xvfb's and the VNC server's own arguments, for as long as they run.
servers=
for cmdline in $(grep -lzF -- "$XAUTHORITY" /proc/[0-9]*/cmdline 2>/dev/null); do
    args=$(tr '\0' ' ' <"$cmdline") || continue
    grep -qF -f "$VELMIRA_TEST_SECRETS" <<<"$args" && { echo "FAIL: a secret on the command line of $args"; exit 1; }
    servers="$servers ${args%% *}"
done
case $servers in *Xvfb*x11vnc* | *x11vnc*Xvfb*) ;; *) echo "FAIL: found only '$servers' by their -auth"; exit 1 ;; esac
echo "headless: display $DISPLAY, VNC 127.0.0.1:$VELMIRA_VNC_PORT with a password"
PROBE
out=$("$headless" bash "$work/probe" 2>&1); rc=$?
kill "$scan_pid" 2>/dev/null
wait "$scan_pid" 2>/dev/null
scan_pid=
[ $rc -eq 0 ] || fail "$out"
grep -q "one-time password" <<<"$out" || fail "no password was printed: $out"
# The scan must have seen the run's processes, root's included, down to the
# helpers that live a few milliseconds.
grep -q '^Xvfb .*-displayfd' "$work/seen" || fail "the scan saw no Xvfb: is /proc hidden from other users?"
grep -q '^xauth ' "$work/seen" || fail "the scan missed the run's xauth"
if leaked=$(grep -F -f "$VELMIRA_TEST_SECRETS" "$work/seen"); then
    fail "another user read a secret on a command line: $(sed 's/[0-9a-f]\{32\}/COOKIE/g' <<<"$leaked")"
fi
echo "headless: $(wc -l <"$work/seen") command lines read as $(
    [ ${#scan_as[@]} -gt 0 ] && echo nobody || id -un
), no secret among them"
grep "^headless:" <<<"$out" | head -n 1
