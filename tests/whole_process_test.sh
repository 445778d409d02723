#!/usr/bin/env bash
# The whole-process driver in its quick form makes every figure, each a JSON
# object with all its fields. Timings are not judged here: they belong to the
# benchmark runs.
#
#   whole_process_test.sh DRIVER VELMIRA EMPTY_DIALOG
set -u
driver=$1 velmira=$2 reference=$3
fail() { echo "FAIL: $*"; exit 1; }
out=$(python3 "$driver" --velmira "$velmira" --reference "$reference" --quick) ||
    fail "the driver failed"
python3 - "$out" <<'PY' || fail "the figures (above)"
import json, sys
keys = {"name", "value", "unit", "budget", "budget_of", "reference", "ratio"}
names = []
for line in sys.argv[1].splitlines():
    f = json.loads(line)
    missing = keys - f.keys()
    if missing:
        sys.exit(f"{line}: lacks {sorted(missing)}")
    if not isinstance(f["value"], (int, float)) or not isinstance(f["reference"], (int, float)):
        sys.exit(f"{line}: value and reference must be numbers")
    names.append(f["name"])
expected = [f"{what}_{platform}" for platform in ("offscreen", "xcb")
            for what in ("start_to_main_menu_time", "start_to_main_menu_peak_rss",
                         "idle_main_menu_wakeups", "idle_main_menu_wakeups_traced",
                         "main_menu_steady_rss", "main_menu_steady_rss_vs_empty",
                         "whole_run_peak_rss", "whole_run_peak_rss_vs_empty")]
if sorted(names) != sorted(expected):
    sys.exit(f"figures {names}, expected {expected}")
PY
echo "$out"
echo "whole-process figures: all $(wc -l <<<"$out") made"
