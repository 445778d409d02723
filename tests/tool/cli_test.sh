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
# The messages themselves are checked in process (tool/config_tool_test.cpp).
expect_error "no verb given"
expect_error "no such file or folder" dump "$work/missing.ini"

# Names that are no UTF-8 would be changed on the way to the file: refused at
# once, shown escaped, with nothing written.
bad=$work/cfg$'\xff'.ini
cp "$file" "$bad"
for args in "new $bad" "dump $bad" "check $bad" "diff $file $bad" "diff $bad $file" "backups $bad" \
    "restore $bad" "set $bad --card 1 --axis X --entry maxV --first 8000" "new $work/a --backups"$'\xff'; do
    IFS=' ' read -r -a words <<<"$args"
    expect_error '\xFF' "${words[@]}"
done
cmp -s "$file" "$bad" || fail "a file that is no UTF-8 was changed"
[ -z "$(find "$work" -name '*'$'\xef\xbf\xbd''*')" ] || fail "a file was made under a changed name"
expect_error 'is not valid UTF-8' dump "$bad"
expect_error 'one argument too many: "extra"' --help extra
expect_error 'one argument too many: "extra"' --version extra
expect_error 'one argument too many: "extra"' dump --help "$file" extra

# Output that cannot be written fails, rather than passing for done.
if [ -w /dev/full ]; then
    "$tool" dump "$file" >/dev/full 2>"$work/err"; rc=$?
    [ $rc -eq 2 ] || fail "dump to a full disk exited $rc"
    grep -q "the output could not be written" "$work/err" || fail "full disk: $(cat "$work/err")"
fi
# A verb that changed the file says so by exit status 3 even when its output is lost.
if [ -w /dev/full ]; then
    "$tool" set "$file" --card 2 --axis Z --entry nearHome --enabled 1 --first 1 >/dev/null
    for args in "dump $file" "check $file" "diff $file $file" "backups $work" --help --version \
        "set $file --card 2 --axis Z --entry nearHome --enabled 1 --first 1"; do
        read -r -a words <<<"$args"
        "$tool" "${words[@]}" >/dev/full 2>/dev/null; rc=$?
        [ $rc -eq 2 ] || fail "$args to a full disk exited $rc, not 2"
    done
    for args in "set $file --card 2 --axis Z --entry nearHome --enabled 0 --first 0" "new $file --force" \
        "restore $(ls "$file".*.bak | tail -n 1)"; do
        read -r -a words <<<"$args"
        "$tool" "${words[@]}" >/dev/full 2>"$work/err"; rc=$?
        [ $rc -eq 3 ] || fail "$args to a full disk exited $rc, not 3"
        grep -q "the file was changed" "$work/err" || fail "$args to a full disk: $(cat "$work/err")"
    done
fi
echo "velmira-config: ok"
