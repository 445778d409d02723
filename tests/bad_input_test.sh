#!/usr/bin/env bash
# Every option with every kind of wrong value: one message line naming the
# option, exit status 2, and no window (there is no display to open one on).
set -u
app=$1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir "$work/folder"
echo "not a folder" >"$work/file"
mkfifo "$work/fifo"
ln -s "$work/nowhere" "$work/dangling"
checked=0
refused() {
    local option=$1; shift
    local rc
    err=$(timeout 20 "$app" "$@" 2>&1 >/dev/null); rc=$?
    [ $rc -eq 124 ] && fail "$*: hung"
    [ $rc -eq 2 ] || fail "$*: exit $rc, not 2 ($err)"
    [ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] || fail "$*: more than one line: $err"
    case $err in "velmira: $option"*) ;; *) fail "$*: the message does not name $option: $err" ;; esac
    # Values are quoted escaped and cut short, whatever the option.
    [ ${#err} -le 600 ] || fail "$option: a message of ${#err} characters"
    [[ $err == *[[:cntrl:]]* ]] && fail "$option: control characters in the message: $err"
    checked=$((checked + 1))
}

# The rack list's own mistakes are checked in process (sim and options tests).
refused --rack --rack 1=Nonesuch
for path_option in --card --rack-file --trace --lorvex-lib --quenby-lib --backplane-lib; do
    refused "$path_option" "$path_option" ""
    refused "$path_option" "$path_option" "$work/fifo"
    refused "$path_option" "$path_option=$work/file" "$path_option=$work/file"
    refused "$path_option" "$path_option" --help
    refused "$path_option" "$path_option"
done
for missing in "$work/missing" "$work/dangling" "/$(printf 'x%.0s' $(seq 5000))"; do
    for path_option in --card --rack-file --lorvex-lib --quenby-lib --backplane-lib; do
        refused "$path_option" "$path_option" "$missing"
    done
done
refused --card --card "$work/file"
refused --card --card /dev/null
refused --rack-file --rack-file "$work/folder"
refused --rack-file --rack-file /dev/zero
refused --trace --trace "$work/folder"
refused --trace --trace /dev/full
refused --trace --trace "$work/missing/trace"
refused --trace --trace "$work/dangling"
[ -e "$work/nowhere" ] && fail "--trace created the target of a dangling link"
: >"$work/rack.toml"
refused --trace --rack-file "$work/rack.toml" --trace "$work/./rack.toml"
refused --trace --trace "$work/"$'\e]0;x\a'"$(printf 'x%.0s' $(seq 5000))"
refused --lorvex-lib --lorvex-lib "$work/folder"
refused --lorvex-lib --lorvex-lib "$work/file"
# The loader's reason repeats the whole path, here 3000 characters.
deep=$work
for _ in $(seq 15); do deep=$deep/$(printf 'd%.0s' $(seq 199))$'\e'; done
mkdir -p "$deep" && cp "$work/file" "$deep/lib.so"
refused --quenby-lib --quenby-lib "$deep/lib.so"
refused --backplane-lib --backplane-lib /dev/null
# Bytes that are no UTF-8 would be changed on the way to the file: refused,
# shown escaped, even when the file or folder is there.
mkdir "$work/card"$'\xff'
cp "$work/file" "$work/rack"$'\xfe.toml'
for path_option in --card --rack-file --trace --lorvex-lib --quenby-lib --backplane-lib; do
    refused "$path_option" "$path_option" "$work/new"$'\xff'
    refused "$path_option" "$path_option=$work/card"$'\xff'
done
refused --rack-file --rack-file "$work/rack"$'\xfe.toml'
[ "$err" = "velmira: --rack-file: \"$work/rack\\xFE.toml\" is not valid UTF-8, which every value must be" ] ||
    fail "non-UTF-8 rack file: $err"
refused --card --card "$work/card"$'\xff'
[ -z "$(find "$work" -name '*'$'\xef\xbf\xbd''*')" ] || fail "a file was made under a changed name"
echo "bad input: $checked wrong values refused, each with one line and exit 2"
