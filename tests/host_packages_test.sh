#!/usr/bin/env bash
# The scripts change no installed package unasked. scripts/test, the test
# command anyone runs, leaves the arm64 build (and its multiarch packages) to
# scripts/cross, which .ci/run runs after it; an arm64 install that would
# upgrade an installed package names it and stops, unless that is allowed,
# while a native install upgrades what its packages need, naming it.
# apt-get, dpkg-query, cmake and ctest are stand-ins that record their calls.
set -u
source_root=$1
# What the caller allows (.ci/run allows upgrades) is not what is tested here.
unset VELMIRA_ALLOW_UPGRADE VELMIRA_SKIP_CROSS
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export STUB_LOG=$work/log STUB_PLAN=$work/plan
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/sh
case " $* " in
*" -s "*) cat "$STUB_PLAN" ;;
*" install "*) echo "apt-get $*" >>"$STUB_LOG" ;;
esac
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/sh
[ -n "${STUB_INSTALLED:-}" ] && printf 'install ok installed'
EOF
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
for tool in cmake ctest; do printf '#!/bin/sh\necho "%s $*" >>"$STUB_LOG"\n' "$tool" >"$work/bin/$tool"; done
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH"

install_arm64_dbus() {
    (velmira_root=$source_root && . "$source_root/scripts/deps" &&
        velmira_install_missing --keep-installed --no-remove libdbus-1-3:arm64)
}
# What apt-get plans on an amd64 host a point release behind its archive.
cat >"$STUB_PLAN" <<'EOF'
Inst libsystemd0 [252.38-1~deb12u1] (252.39-1~deb12u2 Debian:12.15/oldstable [amd64]) []
Inst systemd [252.38-1~deb12u1] (252.39-1~deb12u2 Debian:12.15/oldstable [amd64])
Inst libsystemd0:arm64 (252.39-1~deb12u2 Debian:12.15/oldstable [arm64])
Inst libdbus-1-3:arm64 (1.14.10-1~deb12u1 Debian:12.15/oldstable [arm64])
EOF
: >"$STUB_LOG"
out=$(install_arm64_dbus 2>&1) && fail "an install that upgrades systemd went ahead: $out"
[ -s "$STUB_LOG" ] && fail "installed although installed packages would be upgraded: $(cat "$STUB_LOG")"
grep -qx '    libsystemd0 252.38-1~deb12u1 -> 252.39-1~deb12u2' <<<"$out" &&
    grep -qx '    systemd 252.38-1~deb12u1 -> 252.39-1~deb12u2' <<<"$out" ||
    fail "the upgrades are not named: $out"
grep -q '^ *lib[a-z0-9-]*:arm64' <<<"$out" && fail "new packages are named as upgrades: $out"
out=$(VELMIRA_ALLOW_UPGRADE=1 install_arm64_dbus 2>&1) || fail "an allowed upgrade failed: $out"
grep -q ' install .*libdbus-1-3:arm64 -y$' "$STUB_LOG" || fail "an allowed upgrade installed nothing"
grep -q 'libsystemd0 252.38' <<<"$out" || fail "an allowed upgrade is not named: $out"
# The native packages' own needs are met, and named.
: >"$STUB_LOG"
out=$( (velmira_root=$source_root && . "$source_root/scripts/deps" &&
    velmira_install_missing qt6-base-dev) 2>&1) || fail "a native install was stopped: $out"
grep -q ' install .*qt6-base-dev -y$' "$STUB_LOG" && grep -q 'systemd 252.38' <<<"$out" ||
    fail "a native install that needs an upgrade did not go ahead naming it: $out"
sed -i '/\[252\.38/d' "$STUB_PLAN"
: >"$STUB_LOG"
out=$(install_arm64_dbus 2>&1) || fail "an install that changes nothing installed was stopped: $out"
[ -s "$STUB_LOG" ] || fail "an install that changes nothing installed did not happen"

# scripts/test and .ci/run, in a copy whose scripts/cross and scripts/fuzz
# only record their calls.
root=$work/root
mkdir -p "$root/scripts" "$root/.ci"
cp "$source_root/scripts/test" "$source_root/scripts/deps" "$root/scripts/"
cp "$source_root/.ci/run" "$root/.ci/"
for script in cross fuzz; do
    printf '#!/bin/sh\necho "%s $*" >>"$STUB_LOG"\n' "$script" >"$root/scripts/$script"
    chmod +x "$root/scripts/$script"
done
export STUB_INSTALLED=1
: >"$STUB_LOG"
out=$("$root/scripts/test" 2>&1) || fail "scripts/test failed: $out"
grep -q '^cross' "$STUB_LOG" && fail "scripts/test runs the arm64 build: $(grep '^cross' "$STUB_LOG")"
[ "$(grep -c '^ctest' "$STUB_LOG")" -eq 2 ] || fail "scripts/test ran other than two suites: $(cat "$STUB_LOG")"
: >"$STUB_LOG"
out=$("$root/.ci/run" 2>&1) || fail ".ci/run failed: $out"
[ "$(grep -c '^ctest' "$STUB_LOG")" -eq 2 ] && [ "$(tail -n 1 "$STUB_LOG")" = "cross arm64 --core" ] ||
    fail ".ci/run does not run the suites and then the arm64 build: $(cat "$STUB_LOG")"
: >"$STUB_LOG"
out=$(VELMIRA_SKIP_CROSS=1 "$root/.ci/run" 2>&1) || fail "VELMIRA_SKIP_CROSS=1 .ci/run failed: $out"
grep -q '^cross' "$STUB_LOG" && fail "VELMIRA_SKIP_CROSS=1 .ci/run ran the arm64 build"
echo "host packages: scripts/test leaves arm64 to scripts/cross; upgrades are named and stopped"
