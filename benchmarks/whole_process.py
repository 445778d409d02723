#!/usr/bin/env python3
"""Whole-process start-up and idle figures of velmira against an empty dialog.

Runs both programs alternately, N launches each, on a private Xvfb display and
on the offscreen platform, and prints one JSON object per figure on standard
output:

  {"name": ..., "value": ..., "unit": ..., "budget": ..., "budget_of": ...,
   "reference": ..., "ratio": ...}

value and reference are medians over the runs. "budget_of" says what the
budget bounds: "ratio" (start-up time and peak memory, against the empty
dialog run the same way) or "value" (main-menu wake-ups, an absolute count).

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


def figure(name, value, unit, budget, budget_of, reference):
    ratio = value / reference if reference else None
    return {"name": name, "value": round(value, 4), "unit": unit, "budget": budget,
            "budget_of": budget_of, "reference": round(reference, 4),
            "ratio": round(ratio, 3) if ratio is not None else None}


def measure(platform, args, work, display):
    env = environment(platform, display, work)
    card = os.path.join(work, "card")
    os.makedirs(card, exist_ok=True)
    velmira = [args.velmira, "--card", card]
    reference = [args.reference]
    times = {"velmira": [], "reference": []}
    peaks = {"velmira": [], "reference": []}
    # One launch of each, taken in turns: a change in the machine's load
    # falls on both alike.
    for _ in range(args.runs):
        for who, command in (("reference", reference), ("velmira", velmira)):
            elapsed, peak = launch_to_exit(command + ["--quit-when-shown"], env)
            times[who].append(elapsed)
            peaks[who].append(peak)
    out = [
        figure(f"start_to_main_menu_time_{platform}", statistics.median(times["velmira"]),
               "s", START_BUDGET, "ratio", statistics.median(times["reference"])),
        figure(f"start_to_main_menu_peak_rss_{platform}",
               statistics.median(peaks["velmira"]) / 1024.0, "MB", START_BUDGET, "ratio",
               statistics.median(peaks["reference"]) / 1024.0),
    ]
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
