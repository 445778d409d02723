#!/usr/bin/env bash
# velmira-config run as a shell runs it: its exit statuses, its one-line
# errors on stderr, and output that could not be written.
set -u
tool=$1
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/lorvex_Config.ini

status_of() { "$tool" "$@" >/dev/null 2>&1; echo $?; }
expect() {
    local want=$1; shift
    local got
    got=$(status_of "$@")
    [ "$got" -eq "$want" ] || fail "$* exited $got, not $want"
}
expect_error() {
    local part=$1; shift
    local err rc
    err=$("$tool" "$@" 2>&1 >/dev/null); rc=$?
    [ $rc -eq 2 ] || fail "$* exited $rc, not 2 ($err)"
    [ "$(wc -l <<<"$err")" -eq 1 ] || fail "$* gave more than one line: $err"
    grep -qF -- "$part" <<<"$err" || fail "$*: '$err' does not say '$part'"
}

expect 0 --help
expect 0 --version
"$tool" --version | grep -qx 'velmira-config [0-9][0-9.]*' || fail "--version: $("$tool" --version)"

expect 0 new "$file"
expect 0 dump "$file"
expect 0 check "$file"
expect 0 diff "$file" "$file"
cp "$file" "$work/copy.ini"
expect 0 set "$file" --card 2 --axis Z --entry nearHome --enabled 1 --first 1
expect 1 diff "$file" "$work/copy.ini"
expect 0 backups "$work"
backup=$(ls "$file".*.bak)
expect 0 restore "$backup"
cmp -s "$file" "$work/copy.ini" || fail "restore did not bring back the earlier file"

head -c 100 "$work/copy.ini" >"$work/short.ini"
expect 1 check "$work/short.ini"
expect_error "no such file or folder" dump "$work/missing.ini"
expect_error "is a folder" check "$work"
expect_error "no verb given"
expect_error "outside 8000 to 4000000" set "$file" --card 2 --axis X --entry maxV --first 5

# Output that cannot be written fails, rather than passing for done.
if [ -w /dev/full ]; then
    "$tool" dump "$file" >/dev/full 2>"$work/err"; rc=$?
    [ $rc -eq 2 ] || fail "dump to a full disk exited $rc"
    grep -q "the output could not be written" "$work/err" || fail "full disk: $(cat "$work/err")"
fi
echo "velmira-config: ok"
