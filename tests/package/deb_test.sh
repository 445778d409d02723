#!/usr/bin/env bash
# The Debian package of the build: made with CPack, its fields and
# dependencies, unpacked into a scratch root (dpkg -x) where the programs run,
# and checked by lintian, which must report no error.
#   deb_test.sh BUILD_DIR VERSION
set -u
build=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb=$scratch/out/velmira_${version}_$arch.deb
[ -f "$deb" ] || fail "no $deb: $(ls "$scratch/out")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = velmira ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
# Dependencies come from the binaries: the Qt and C libraries they link, with
# versions, and the window-system plugins.
depends=$(field Depends)
for dep in "libc6 (>=" "libqt6widgets6 (>=" "libqt6svg6 (>=" "libtomlplusplus3" "libqt6opengl6"; do
    grep -qF "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done

dpkg -x "$deb" "$scratch/root" || fail "dpkg -x"
"$scratch/root/usr/bin/velmira" --help >"$scratch/help" 2>&1 || fail "velmira --help from the package failed"
grep -q -- "--rack SLOTS" "$scratch/help" || fail "velmira --help: $(head -3 "$scratch/help")"
"$here/check_tree.sh" "$scratch/root" "$version" || fail "the package's tree"

if command -v lintian >/dev/null; then
    lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian" 2>&1 ||
        { cat "$scratch/lintian"; fail "lintian reports errors"; }
    cat "$scratch/lintian"
fi
echo "package $(basename "$deb") is whole"
