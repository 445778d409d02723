#!/usr/bin/env bash
# Saves the configuration file over and over in a child process and kills it
# at random moments: afterwards the file is always one of the two images being
# saved, whole, every backup beside it is one of them too, and what the killed
# saves left (temporary files and half-made backups) is gone after the next start.
#   kill_test.sh SAVE_LOOP [KILLS]
set -u
loop=$1 kills=${2:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

card=$work/card
file=$card/Pelmoran/Orvo/lorvex_Config.ini
mkdir -p "$card/Pelmoran"
"$loop" reference A "$work/A" && "$loop" reference B "$work/B" || fail "no reference images"
seed=${VELMIRA_KILL_SEED:-$(date +%s)}
RANDOM=$seed
echo "seed $seed (VELMIRA_KILL_SEED replays it)"

leftovers=0 as_a=0 as_b=0 backups=0
temporaries() {
    find "$(dirname "$file")" \( -name 'lorvex_Config.ini.tmp-*' -o -name 'lorvex_Config.ini.*.bak.tmp-*' \) \
        2>/dev/null | wc -l
}
for i in $(seq "$kills"); do
    "$loop" save "$card" 2>"$work/err" &
    pid=$!
    # From a first save barely begun to many saves done.
    sleep "0.0$(printf '%02d' $((RANDOM % 40)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ -s "$work/err" ] && fail "kill $i: the loop failed: $(cat "$work/err")"
    if [ -e "$file" ]; then
        if cmp -s "$file" "$work/A"; then
            as_a=$((as_a + 1))
        elif cmp -s "$file" "$work/B"; then
            as_b=$((as_b + 1))
        else
            fail "kill $i: the file is neither image ($(stat -c %s "$file") bytes)"
        fi
    fi
    for b in "$file".*.bak; do
        [ -e "$b" ] || continue
        cmp -s "$b" "$work/A" || cmp -s "$b" "$work/B" ||
            fail "kill $i: the backup $(basename "$b") is neither image ($(stat -c %s "$b") bytes)"
        backups=$((backups + 1))
    done
    n=$(temporaries)
    leftovers=$((leftovers + n))
    "$loop" start "$card" || fail "kill $i: the start failed"
    n=$(temporaries)
    [ "$n" -eq 0 ] && continue
    fail "kill $i: $n temporary files remain after the start"
done
[ $((as_a + as_b)) -gt 0 ] || fail "no save completed in $kills runs"
[ "$backups" -gt 0 ] || fail "no backup was made in $kills runs"
echo "$kills kills: the file was image A $as_a times, B $as_b times, never torn;" \
    "$backups backups seen, all whole;" \
    "$leftovers temporary files left by killed saves, all gone after the next start"
