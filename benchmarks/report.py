#!/usr/bin/env python3
"""Prints every measured figure beside its budget and, for a ratio, the
reference it is a ratio of.

  report.py BENCH_JSON [WHOLE_PROCESS_JSONL]

BENCH_JSON is Google Benchmark's JSON output of velmira_bench (medians of
repetitions are used when present); WHOLE_PROCESS_JSONL holds one JSON object
per line, {"name", "value", "unit", "budget", "reference", "reference_of",
"ratio"}, from the whole-process driver; a null budget is a figure shown
without one. Exit status 1 when a budget is missed, 2 when a figure is missing.
"""
import json
import sys


def load_bench(path):
    with open(path) as f:
        data = json.load(f)
    runs = {}
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"])
        # A median replaces the single runs it summarises.
        if b.get("run_type") == "aggregate" or name not in runs:
            runs[name] = b
    return data.get("context", {}), runs


def micros(run):
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[run.get("time_unit", "ns")]
    return run["cpu_time"] * scale


class Report:
    def __init__(self, runs):
        self.runs = runs
        self.rows = []
        self.missed = 0
        self.missing = 0

    def run(self, name):
        for key in (name, name + "/iterations:500", name + "/iterations:1000",
                    name + "/iterations:300", name + "/iterations:1"):
            if key in self.runs:
                return self.runs[key]
        self.missing += 1
        self.rows.append((name, "missing", "", ""))
        return None

    def add(self, what, value, unit, budget, reference=""):
        held = value <= budget
        if not held:
            self.missed += 1
        self.rows.append((what, f"{value:,.3g} {unit}", f"<= {budget:g} {unit}",
                          ("holds" if held else "MISSED") + (f"  ({reference})" if reference else "")))

    def time(self, what, name, budget):
        r = self.run(name)
        if r:
            self.add(what, micros(r), "us", budget)

    def info(self, what, name):
        """A figure shown for what it tells, with no budget of its own."""
        r = self.run(name)
        if r:
            self.rows.append((what, f"{micros(r):,.3g} us", "", "no budget"))

    def counter(self, what, name, counter, unit, budget, reference=""):
        r = self.run(name)
        if r:
            self.add(what, r[counter], unit, budget, reference)

    def ratio(self, what, name, reference_name, budget):
        r, ref = self.run(name), self.run(reference_name)
        if r and ref:
            self.add(what, micros(r) / micros(ref), "x", budget,
                     f"{micros(r):.0f} us against {micros(ref):.0f} us for {reference_name}")

    def print(self):
        widths = [max(len(row[i]) for row in self.rows) for i in range(3)]
        for row in self.rows:
            print(f"{row[0]:<{widths[0]}}  {row[1]:>{widths[1]}}  {row[2]:<{widths[2]}}  {row[3]}")


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    context, runs = load_bench(sys.argv[1])
    r = Report(runs)

    r.time("Basic Operation status tick, axis still", "BM_BasicOperationStatusTick/0", 30)
    r.time("Basic Operation status tick, axis moving", "BM_BasicOperationStatusTick/1", 30)
    r.time("Advanced Features tick", "BM_AdvancedFeaturesTick/0", 30)
    r.time("Advanced Features tick, profile window open", "BM_AdvancedFeaturesTick/1", 30)
    r.info("  the same, and the window's paint", "BM_AdvancedFeaturesTick/2")
    for rows in (0, 10000, 100000):
        r.time(f"jog block (7 rows) into the shown list at {rows} rows",
               f"BM_BasicOperationJogBlock/{rows}", 200)
    for rows in (0, 10000, 100000):
        r.time(f"interpolation block (9 rows) into the shown list at {rows} rows",
               f"BM_AdvancedFeaturesRunBlock/{rows}", 200)
    for block, label in ((0, "jog"), (1, "interpolation")):
        r.ratio(f"{label} block shown and repainted at 100000 rows, against 0",
                f"BM_WriteBlockShownList/100000/{block}", f"BM_WriteBlockShownList/0/{block}", 1.2)
    r.counter("memory per stored row, model", "BM_MemoryPerRow/0", "bytes_per_row", "B", 200)
    r.counter("memory per stored row, shown list", "BM_MemoryPerRow/1", "bytes_per_row", "B", 200)
    r.time("Configuration setting with 10000 echoed rows", "BM_ConfigurationSetting/10000", 100)
    # A poll must cost little of the 50 ms between two polls.
    r.time("simulated rack: a 50 ms poll, seven four-axis modules, every axis moving",
           "BM_PollFullRackEveryAxisMoving", 500)
    r.info("simulated rack: a 50 ms poll, every axis at rest", "BM_PollIdleRack")
    r.counter("Basic Operation idle 10 s, timer running, axis still", "BM_IdleBasicOperation/10",
              "core_percent", "% of a core", 1)
    # The scope records at every status tick: a sample must cost little of one.
    for seconds, label in ((10, "10 s"), (600, "10 min")):
        r.time(f"scope: one sample recorded after {label}", f"BM_ScopeAppend/{seconds}", 30)
    for args, label in (("10/0", "10 s recorded, the last 10 s in view"),
                        ("600/0", "10 min recorded, the last 10 s in view"),
                        ("600/1", "10 min recorded, all in view")):
        r.info(f"scope: a sample recorded and the plot repainted, {label}",
               f"BM_ScopeAppendAndRepaint/{args}")
    ring = r.run("BM_ScopeFullRingMemory")
    if ring:
        r.rows.append(("scope: heap of a full recording", f"{ring['bytes'] / 1e6:.2f} MB", "",
                       "no budget"))
    s = r.run("BM_LongSession")
    if s:
        opened = s["resident_full_MB"] - s["resident_before_MB"]
        left = s["resident_after_close_MB"] - s["resident_before_MB"]
        r.add("a million rows: resident memory left after the screen closed", left, "MB",
              0.05 * opened, f"{opened:.0f} MB while open; budget 5 % of it")
        r.add("a million rows: heap left after the screen closed",
              s["heap_left_after_close_kB"] / 1e3, "MB", 0.01 * s["heap_open_MB"],
              f"{s['heap_open_MB']:.0f} MB while open; budget 1 % of it")
        r.add("a million rows: jog after reopening, against the first visit",
              s["press_after_reopen_us"] / s["press_first_us"], "x", 1.2,
              f"{s['press_after_reopen_us']:.0f} us against {s['press_first_us']:.0f} us")

    if len(sys.argv) == 3:
        with open(sys.argv[2]) as f:
            for line in f:
                if not line.strip():
                    continue
                fig = json.loads(line)
                reference = fig.get("reference") or ""
                if fig.get("ratio") is not None and reference:
                    reference = (f"{fig['value']:.4g} {fig['unit']} against {reference:.4g} "
                                 f"{fig['unit']} for "
                                 f"{fig.get('reference_of', 'the empty dialog')}")
                else:
                    reference = ""
                value = fig["ratio"] if fig.get("ratio") is not None else fig["value"]
                unit = "x" if fig.get("ratio") is not None else fig["unit"]
                if fig["budget"] is None:
                    r.rows.append((fig["name"], f"{value:,.3g} {unit}", "",
                                   "no budget" + (f"  ({reference})" if reference else "")))
                else:
                    r.add(fig["name"], value, unit, fig["budget"], reference)

    print(f"{context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz, "
          f"{context.get('library_build_type', '?')} benchmark library; CPU time per operation, "
          "medians of the repetitions")
    r.print()
    if r.missing:
        return 2
    return 1 if r.missed else 0


if __name__ == "__main__":
    sys.exit(main())
