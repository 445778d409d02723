#!/usr/bin/env bash
# Checks an installed Velmira under ROOT (a DESTDIR or an unpacked package):
# every file in its place, both programs answering with VERSION, the manual
# pages rendering without warnings and naming every option, the desktop entry
# and the AppStream metainfo valid. Binaries for another machine run through
# $VELMIRA_RUN (an emulator), when set.
#
#   check_tree.sh ROOT VERSION
set -u
root=${1:?usage: check_tree.sh ROOT VERSION}
version=${2:?usage: check_tree.sh ROOT VERSION}
read -r -a run <<<"${VELMIRA_RUN:-}"
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

id=org.velmira.Velmira
doc=$root/usr/share/doc/velmira
for f in usr/bin/velmira usr/bin/velmira-config \
    usr/share/man/man1/velmira.1.gz usr/share/man/man1/velmira-config.1.gz \
    usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/$id.svg \
    usr/share/doc/velmira/README.md usr/share/doc/velmira/copyright \
    usr/share/doc/velmira/changelog.gz usr/share/doc/velmira/docs/rack-file.md \
    usr/share/doc/velmira/docs/velmira-config.md usr/share/doc/velmira/docs/main-menu.png \
    usr/share/doc/velmira/examples/example-rack.toml; do
    [ -f "$root/$f" ] || fail "$f is missing"
done
for f in usr/bin/velmira usr/bin/velmira-config; do
    [ -x "$root/$f" ] || fail "$f is not executable"
done
# Each PNG icon is a PNG of the size its folder names.
for size in 16 22 24 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x$size/apps/$id.png
    got=$(python3 -c 'import struct,sys
d=open(sys.argv[1],"rb").read(24)
print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8] == b"\x89PNG\r\n\x1a\n" else "not a PNG")' "$png" 2>&1)
    [ "$got" = "${size}x$size" ] || fail "icon ${size}x$size: $got"
done
# Nothing from the build leaks in: no tests, benchmarks or static libraries.
extra=$(cd "$root" && find . -type f ! -path './usr/bin/velmira' ! -path './usr/bin/velmira-config' \
    ! -path './usr/share/*' ! -path './DEBIAN/*' | head -5)
[ -z "$extra" ] || fail "unexpected files: $extra"

# One version everywhere.
for program in velmira velmira-config; do
    got=$("${run[@]}" "$root/usr/bin/$program" --version 2>&1)
    [ "$got" = "$program $version" ] || fail "$program --version said '$got', not '$program $version'"
done
top=$(gzip -dc "$doc/changelog.gz" | head -1)
case $top in "velmira ($version) "*) ;; *) fail "changelog starts '$top', not version $version" ;; esac
newest=$(grep -o '<release version="[^"]*"' "$root/usr/share/metainfo/$id.metainfo.xml" | head -1)
[ "$newest" = "<release version=\"$version\"" ] || fail "metainfo's newest release is $newest"

# The manual pages: they render with no warning, carry the version and name
# every option the program's --help lists.
for program in velmira velmira-config; do
    page=$root/usr/share/man/man1/$program.1.gz
    text=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>"$root.warnings") || fail "man $program failed"
    [ -s "$root.warnings" ] && fail "man $program warns: $(head -3 "$root.warnings")"
    rm -f "$root.warnings"
    grep -q "$program $version" <<<"$text" || fail "man $program does not show version $version"
    help=$("${run[@]}" "$root/usr/bin/$program" --help 2>&1)
    for option in $(grep -oE '(^| )--[a-z][a-z-]+' <<<"$help" | sort -u); do
        grep -qF -- "$option" <<<"$text" || fail "man $program lacks $option"
    done
done

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry is not valid"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$root.appstream" 2>&1 ||
    fail "metainfo is not valid: $(cat "$root.appstream")"
rm -f "$root.appstream"

[ $status -eq 0 ] && echo "installed tree in $root is whole"
exit $status
