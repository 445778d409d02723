#!/usr/bin/env python3
"""Whole-process start-up, memory and idle figures of velmira against reference dialogs.

Runs velmira and the reference dialogs alternately, N launches each, on a
private Xvfb display and on the offscreen platform, and prints one JSON object
per figure on standard output:

  {"name": ..., "value": ..., "unit": ..., "budget": ..., "budget_of": ...,
   "reference": ..., "reference_of": ..., "ratio": ...}

value and reference are medians over the runs. "budget_of" says what the
budget bounds: "ratio" (against the reference dialog run the same way),
"value" (main-menu wake-ups, an absolute count) or "none" (shown for what it
tells). "reference_of" names the reference: the empty dialog, which draws no
text and so never loads the font and text-shaping libraries, or the text
dialog (empty_dialog --text: a title line and three text buttons), which
draws what any menu must. Memory is held against the text dialog:

  start_to_main_menu_peak_rss  peak resident memory of a run that ends once
                               the menu is painted (against the empty dialog)
  main_menu_steady_rss         resident memory with the menu shown for 2 s
  whole_run_peak_rss           peak resident memory over that whole run, its
                               end by SIGTERM included

each of the last two also against the empty dialog ("..._vs_empty").

  whole_process.py --velmira BUILD/src/velmira --reference BUILD/benchmarks/empty_dialog
                   [--runs N] [--idle-seconds S] [--platforms offscreen,xcb] [--quick]

Timings on a shared machine are rough: compare ratios from one run only.
"""

import argparse
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

# Both programs must be within this factor of the empty dialog.
START_BUDGET = 1.2
# main.cpp flushes the call trace on a timer at half the trace's flush period
# (CallTrace::kFlushPeriod, 100 ms): the only wake-ups the idle main menu may
# have, and only with a trace.
TRACE_FLUSH_MS = 50
# How long an idle program is left before its wake-ups are counted, at least,
# and in start-up times: start-up and the first paint are over by then.
SETTLE_SECONDS = 1.5
SETTLE_STARTS = 3
# How long the first window is left shown before its steady memory is read.
STEADY_SECONDS = 2.0


def fail(message):
    print(f"whole_process.py: {message}", file=sys.stderr)
    sys.exit(1)


class Xvfb:
    """A private X display: Xvfb picks a free number and names it once ready."""

    def __init__(self, work):
        self.proc = None
        self.display = None
        self.work = work

    def __enter__(self):
        if not shutil.which("Xvfb"):
            fail("Xvfb is not installed (see scripts/deps)")
        read_end, write_end = os.pipe()
        # -noreset: a reset when one launch ends would refuse the next one's
        # connection for a moment.
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-screen", "0", "1024x768x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as named:
            line = named.readline().strip()
        if not line:
            self.proc.kill()
            self.proc.wait()
            fail("Xvfb ended without naming a display")
        self.display = ":" + line
        return self

    def __exit__(self, *exc):
        if self.proc:
            self.proc.terminate()
            self.proc.wait()


def environment(platform, display, work):
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    if platform == "offscreen":
        env["QT_QPA_PLATFORM"] = "offscreen"
    else:
        env["QT_QPA_PLATFORM"] = "xcb"
        env["DISPLAY"] = display
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    env["XDG_RUNTIME_DIR"] = runtime
    return env


def launch_to_exit(command, env):
    """Wall seconds from launch to exit and peak resident memory in kB."""
    start = time.monotonic()
    proc = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.monotonic() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if proc.returncode != 0:
        fail(f"{' '.join(command)} ended with status {proc.returncode}: {err.strip()}")
    return elapsed, usage.ru_maxrss


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    fail(f"no VmRSS for process {pid}")


def steady_and_peak(command, env, start_time):
    """Resident memory in kB once the first window has been shown for
    STEADY_SECONDS, and the peak over the whole run, which SIGTERM then ends."""
    proc = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        time.sleep(start_time + STEADY_SECONDS)
        if proc.poll() is not None:
            fail(f"{' '.join(command)} ended with status {proc.returncode} before it was measured")
        steady = resident_kb(proc.pid)
        proc.send_signal(signal.SIGTERM)
        _, _, usage = os.wait4(proc.pid, 0)
        proc.returncode = 0
    except BaseException:
        proc.kill()
        proc.wait()
        raise
    return steady, usage.ru_maxrss


def voluntary_switches(pid):
    """Voluntary context switches of every thread: each is a sleep that ended."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as status:
                for line in status:
                    if line.startswith("voluntary_ctxt_switches:"):
                        total += int(line.split()[1])
        except FileNotFoundError:
            pass  # a thread that ended meanwhile
    return total


def idle_wakeups(command, env, seconds, start_time):
    """Wake-ups of a program left alone on its first window, per 10 s."""
    proc = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        time.sleep(max(SETTLE_SECONDS, SETTLE_STARTS * start_time))
        if proc.poll() is not None:
            fail(f"{' '.join(command)} ended with status {proc.returncode} while idle")
        before = voluntary_switches(proc.pid)
        time.sleep(seconds)
        after = voluntary_switches(proc.pid)
    finally:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    return (after - before) * 10.0 / seconds


EMPTY = "the empty dialog"
TEXT = "the text dialog"


def figure(name, value, unit, budget, budget_of, reference, reference_of=EMPTY):
    ratio = value / reference if reference else None
    return {"name": name, "value": round(value, 4), "unit": unit, "budget": budget,
            "budget_of": budget_of, "reference": round(reference, 4),
            "reference_of": reference_of, "ratio": round(ratio, 3) if ratio is not None else None}


def measure(platform, args, work, display):
    env = environment(platform, display, work)
    card = os.path.join(work, "card")
    os.makedirs(card, exist_ok=True)
    velmira = [args.velmira, "--card", card]
    reference = [args.reference]
    programs = (("reference", reference), ("text", reference + ["--text"]),
                ("velmira", velmira))
    times = {who: [] for who, _ in programs}
    peaks = {who: [] for who, _ in programs}
    steady = {who: [] for who, _ in programs}
    whole = {who: [] for who, _ in programs}
    # One launch of each, taken in turns: a change in the machine's load
    # falls on all alike.
    for _ in range(args.runs):
        for who, command in programs:
            elapsed, peak = launch_to_exit(command + ["--quit-when-shown"], env)
            times[who].append(elapsed)
            peaks[who].append(peak)
    for _ in range(args.runs):
        for who, command in programs:
            rss, peak = steady_and_peak(command, env, max(times[who]))
            steady[who].append(rss)
            whole[who].append(peak)

    def mb(values, who):
        return statistics.median(values[who]) / 1024.0

    out = [
        figure(f"start_to_main_menu_time_{platform}", statistics.median(times["velmira"]),
               "s", START_BUDGET, "ratio", statistics.median(times["reference"])),
        figure(f"start_to_main_menu_peak_rss_{platform}", mb(peaks, "velmira"), "MB",
               START_BUDGET, "ratio", mb(peaks, "reference")),
    ]
    for name, values in (("main_menu_steady_rss", steady), ("whole_run_peak_rss", whole)):
        out.append(figure(f"{name}_{platform}", mb(values, "velmira"), "MB", START_BUDGET,
                          "ratio", mb(values, "text"), TEXT))
        out.append(figure(f"{name}_vs_empty_{platform}", mb(values, "velmira"), "MB", None,
                          "none", mb(values, "reference")))
    started = max(times["velmira"])
    quiet = idle_wakeups(reference, env, args.idle_seconds, started)
    off = idle_wakeups(velmira, env, args.idle_seconds, started)
    trace = os.path.join(work, f"trace-{platform}")
    on = idle_wakeups(velmira + ["--trace", trace], env, args.idle_seconds, started)
    out.append(figure(f"idle_main_menu_wakeups_{platform}", off, "wake-ups/10 s", 0, "value",
                      quiet))
    out.append(figure(f"idle_main_menu_wakeups_traced_{platform}", on, "wake-ups/10 s",
                      10000 // TRACE_FLUSH_MS, "value", quiet))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--velmira", required=True, help="the velmira program")
    parser.add_argument("--reference", required=True, help="the empty_dialog program")
    parser.add_argument("--runs", type=int, default=15, help="launches of each (default 15)")
    parser.add_argument("--idle-seconds", type=float, default=10.0,
                        help="how long wake-ups are counted (default 10)")
    parser.add_argument("--platforms", default="offscreen,xcb",
                        help="comma-separated: offscreen, xcb (default both)")
    parser.add_argument("--quick", action="store_true",
                        help="a smoke run: 2 launches each, 1 s of idle")
    args = parser.parse_args()
    if args.quick:
        args.runs = 2
        args.idle_seconds = 1.0
    if args.runs < 1:
        parser.error("--runs must be at least 1")
    if args.idle_seconds <= 0:
        parser.error("--idle-seconds must be above 0")
    platforms = [p for p in args.platforms.split(",") if p]
    for p in platforms:
        if p not in ("offscreen", "xcb"):
            parser.error(f"--platforms: unknown platform {p!r} (offscreen or xcb)")
    for path in (args.velmira, args.reference):
        if not os.access(path, os.X_OK):
            parser.error(f"no program at {path}")

    with tempfile.TemporaryDirectory(prefix="velmira-whole-") as work:
        for platform in platforms:
            if platform == "xcb":
                with Xvfb(work) as x:
                    figures = measure(platform, args, work, x.display)
            else:
                figures = measure(platform, args, work, None)
            for f in figures:
                print(json.dumps(f), flush=True)


if __name__ == "__main__":
    main()
