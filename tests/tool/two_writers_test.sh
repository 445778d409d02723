#!/usr/bin/env bash
# Two loops of velmira-config set on one file at the same time, each changing
# an entry of its own: no set fails because of the other, and no change that
# a set reported is lost (each loop finds its last value in the file before
# its next set, and both at the end).
#   two_writers_test.sh TOOL [SECONDS]
set -u
tool=$1 seconds=${2:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
file=$work/lorvex_Config.ini
"$tool" new "$file" >/dev/null || fail "no file to start from"

# The first value of card N Axis_X maxV: record 4N, entry 1, after the flag and padding.
first_of() { od -An -t d4 -j $((4 * $1 * 208 + 16 + 4)) -N 4 "$file" | tr -d ' '; }

writer() {
    local card=$1 sets=0 lost=0 failed=0 last=0 found
    local end=$((SECONDS + seconds))
    while [ "$SECONDS" -lt "$end" ]; do
        found=$(first_of "$card")
        if [ "$found" != "$last" ]; then
            lost=$((lost + 1))
            echo "card $card: $last was set, the file holds $found" >>"$work/lost"
        fi
        local value=$((8001 + sets))
        if "$tool" set "$file" --card "$card" --axis X --entry maxV --enabled 1 --first "$value" \
            >/dev/null 2>>"$work/failures"; then
            sets=$((sets + 1))
            last=$value
        else
            failed=$((failed + 1))
        fi
    done
    [ "$(first_of "$card")" = "$last" ] || lost=$((lost + 1))
    echo "$sets $lost $failed" >"$work/result$card"
}

writer 1 &
writer 2 &
wait
read -r sets1 lost1 failed1 <"$work/result1"
read -r sets2 lost2 failed2 <"$work/result2"
[ $((failed1 + failed2)) -eq 0 ] ||
    fail "$((failed1 + failed2)) sets failed: $(sort "$work/failures" | uniq -c | head -n 3)"
[ $((lost1 + lost2)) -eq 0 ] || fail "$((lost1 + lost2)) changes lost: $(head -n 3 "$work/lost")"
[ "$sets1" -gt 0 ] && [ "$sets2" -gt 0 ] || fail "a writer made no set ($sets1, $sets2)"
leftovers=$(find "$work" -name '*.tmp-*' | wc -l)
[ "$leftovers" -eq 0 ] || fail "$leftovers temporary files left"
echo "two writers for $seconds s: $((sets1 + sets2)) sets ($sets1 and $sets2), none lost," \
    "no false failure"
