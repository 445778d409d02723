#!/usr/bin/env bash
# Saves the configuration file over and over in a child process and kills it
# at random moments, while a second writer saves the same file all along:
# afterwards the file is always one of the two images being saved, whole,
# every backup beside it is one of them too, what the killed saves left
# (temporary files and half-made backups) is gone after the next start or
# save, and the second writer never failed: no start and no other save took
# a file it was still writing.
#   kill_test.sh SAVE_LOOP [KILLS]
set -u
loop=$1 kills=${2:-200}
work=$(mktemp -d)
second=
trap '[ -n "$second" ] && kill -KILL "$second" 2>/dev/null; rm -rf "$work"' EXIT
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
        2>/dev/null | sort
}
# Waits up to two seconds for every file named on standard input to be gone.
gone() {
    local names t
    names=$(cat)
    [ -z "$names" ] && return 0
    for t in $(seq 40); do
        remaining=$(while IFS= read -r f; do [ -e "$f" ] && echo "$f"; done <<<"$names")
        [ -z "$remaining" ] && return 0
        sleep 0.05
    done
    return 1
}
second_alive() {
    kill -0 "$second" 2>/dev/null && [ ! -s "$work/err2" ]
}

"$loop" save "$card" 2>"$work/err2" &
second=$!
for i in $(seq "$kills"); do
    "$loop" save "$card" 2>"$work/err" &
    pid=$!
    # From a first save barely begun to many saves done.
    sleep "0.0$(printf '%02d' $((RANDOM % 40)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ -s "$work/err" ] && fail "kill $i: the loop failed: $(cat "$work/err")"
    second_alive || fail "kill $i: the second writer failed: $(cat "$work/err2")"
    # Held still while the files are looked at, wherever it is in a save.
    kill -STOP "$second"
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
    left=$(temporaries)
    [ -n "$left" ] && leftovers=$((leftovers + $(wc -l <<<"$left")))
    kill -CONT "$second"
    "$loop" start "$card" || fail "kill $i: the start failed"
    # The start removes them unless the second writer is saving; its next save does.
    gone <<<"$left" || fail "kill $i: temporary files remain: $remaining"
done
second_alive || fail "the second writer failed: $(cat "$work/err2")"
kill -TERM "$second"
wait "$second"
status=$?
second=
[ $status -eq 0 ] && [ ! -s "$work/err2" ] || fail "the second writer ended with $status: $(cat "$work/err2")"
"$loop" start "$card" || fail "the last start failed"
[ -z "$(temporaries)" ] || fail "temporary files remain after the last start: $(temporaries)"
[ $((as_a + as_b)) -gt 0 ] || fail "no save completed in $kills runs"
[ "$backups" -gt 0 ] || fail "no backup was made in $kills runs"
echo "$kills kills beside a second writer: the file was image A $as_a times, B $as_b times," \
    "never torn; $backups backups seen, all whole; $leftovers temporary files seen after" \
    "kills, each gone after the next start or save; the second writer never failed"
