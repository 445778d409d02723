"""Basic Operation on the simulated rack, as a user works it, and what the
program told the library meanwhile.

  basic_operation_run.py drive        drives the running program to its end
  basic_operation_run.py trace FILE   checks the call trace it left behind

Runs under /usr/bin/python3: pyatspi is Debian's package.
"""
import contextlib
import itertools
import os
import re
import sys
import time

# The test leaves nothing in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from ui_driver import (App, UiError, click, enabled, find, find_item, key_in, name_of, text,
                       type_into, wait_until)

# Generous: the sanitizer build is two to three times slower.
SCREEN_TIMEOUT = 30.0
MOVE_TIMEOUT = 30.0
HOME_TIMEOUT = 90.0

# The simulated machine's plus limit switch.
PLUS_LIMIT = 100000


@contextlib.contextmanager
def step(name):
    try:
        yield
    except UiError as e:
        raise UiError(f"{name}: {e}") from None
    except Exception as e:  # the accessibility bus's own errors
        raise UiError(f"{name}: {e!r}") from None


def fields(window, *names):
    return {n: find(window, n, "text") for n in names}


def wait_texts(boxes, wanted, timeout, seen=None):
    """Waits until every field reads its wanted text; `seen` collects what the
    fields showed on the way."""
    end = time.monotonic() + timeout
    while True:
        now = {n: text(a) for n, a in boxes.items()}
        if seen is not None:
            seen.append(now)
        if all(now[n] == w for n, w in wanted.items()):
            return now
        if time.monotonic() > end:
            raise UiError(f"timed out after {timeout:g} s waiting for {wanted}; "
                          f"the fields read {now}")
        time.sleep(0.02)


def drive():
    app = App("Velmira", SCREEN_TIMEOUT)

    with step("main menu to Basic Operation"):
        menu = app.window("Velmira", SCREEN_TIMEOUT)
        click(find(menu, "Configuration", "push button"))
        config = app.window("Configation", SCREEN_TIMEOUT)
        click(find(config, "Switch to Test", "push button", SCREEN_TIMEOUT))
        box = app.window("Information", SCREEN_TIMEOUT)
        find(box, "Save all of settings?", "label")
        click(find(box, "No", "push button"))
        basic = app.window("Basic Operation", SCREEN_TIMEOUT)

    with step("selecting Axis_X of the module in slot 1"):
        click(find_item(basic, ("Lorvex in Slot:1", "Axis_X"), SCREEN_TIMEOUT))
        params = fields(basic, "Start Velocity (SV)", "Drive Velocity (V)", "Acceleration (A)",
                        "Output Pulse (P)", "Speed(HV)")
        # The defaults the moves below rely on.
        wait_texts(params, {"Start Velocity (SV)": "20000", "Drive Velocity (V)": "20000",
                            "Acceleration (A)": "100000", "Output Pulse (P)": "10000",
                            "Speed(HV)": "5000"}, SCREEN_TIMEOUT)
        status = fields(basic, "Logic Position", "Encoder Position", "Error", "Current Speed")
        # A user looks at the lamps before the first move; the screen polls meanwhile.
        time.sleep(2)

    servo = find(basic, "Servo ON", "push button")
    with step("Servo ON"):
        click(servo)
        wait_until("the servo button to read 'Servo OFF'", lambda: name_of(servo) == "Servo OFF")

    forward = find(basic, "Forward", "push button")
    backward = find(basic, "Backward", "push button")
    with step("Point-to-Point forward"):
        click(find(basic, "Point-to-Point", "radio button"))
        click(forward)
        wait_texts(status, {"Logic Position": "10000", "Encoder Position": "10000",
                            "Error": "0", "Current Speed": "0"}, MOVE_TIMEOUT)

    stop = find(basic, "STOP", "push button")
    with step("continuous output with an on-the-fly speed change"):
        click(find(basic, "Conti. Output", "radio button"))
        click(forward)
        wait_texts(status, {"Current Speed": "20000"}, MOVE_TIMEOUT)
        v = params["Drive Velocity (V)"]
        type_into(v, "40000")
        wait_until("'Drive Velocity (V)' to read 40000", lambda: text(v) == "40000")
        click(find(basic, "on-fly change(V)", "push button"))
        wait_texts(status, {"Current Speed": "40000"}, MOVE_TIMEOUT)
        click(stop)
        now = wait_texts(status, {"Current Speed": "0"}, MOVE_TIMEOUT)
        # Stopped by STOP, not by the limit switch.
        if not 10000 < int(now["Logic Position"]) < PLUS_LIMIT:
            raise UiError(f"the axis stopped at {now['Logic Position']}")

    with step("running onto the plus limit switch"):
        cause = find(basic, "Stop cause", "text")
        click(forward)
        wait_texts({"Stop cause": cause}, {"Stop cause": "stopped by LMT+"}, MOVE_TIMEOUT)
        now = wait_texts(status, {"Current Speed": "0"}, MOVE_TIMEOUT)
        if int(now["Logic Position"]) < PLUS_LIMIT:
            raise UiError(f"the axis stopped at {now['Logic Position']}, before the limit")

    with step("homing"):
        click(find(basic, "HOME", "radio button"))
        wait_until("the STOP button to read 'HOME'", lambda: name_of(stop) == "HOME")
        if enabled(forward) or enabled(backward):
            raise UiError("Forward or Backward still enabled in HOME mode")
        click(stop)
        seen = []
        wait_texts(status, {"Logic Position": "0", "Encoder Position": "0",
                            "Current Speed": "0"}, HOME_TIMEOUT, seen)
        # The screen stays live during the search: the positions are seen to move.
        positions = {s["Logic Position"] for s in seen}
        if len(positions) < 5:
            raise UiError(f"the logic position showed only {sorted(positions)} while homing")

    with step("Servo OFF"):
        click(servo)
        wait_until("the servo button to read 'Servo ON'", lambda: name_of(servo) == "Servo ON")

    with step("Return to the main menu and close it"):
        click(find(basic, "Return", "push button"))
        app.gone("Basic Operation", SCREEN_TIMEOUT)
        key_in(menu, "Escape", SCREEN_TIMEOUT)


# Status reads come at the window timer's 50 ms, less the search's blocking
# sleeps (0.6 s of a run of about 10 s): close to 19 a second. A 100 ms timer
# gives under 10, a 25 ms one near 38, and one that stood still through the
# search (8 s from where the stop leaves the axis) under 5.
MIN_READ_RATE = 14.0
MAX_READ_RATE = 22.0
# The longest quiet spell is the 500 ms sleep after the search, plus up to one
# period; a timer that stood still through the search would leave seconds.
MAX_READ_GAP_US = 800_000

EXPECTED = [
    "lorvexMF_SERVO_ON(1,1)",
    "lorvexMF_FIXED_MOVE(1,1,10000)",
    "lorvexMF_CONTINUE_MOVE(1,1,10000)",
    "lorvexMF_SET_V(1,1,40000)",
    "lorvexMF_STOP_SLOWLY(1,1)",
    "lorvexMF_CLEAR_STOP(1)",
    "lorvexMF_SET_HOME_MODE(1,1,2,2,1,1,120000)",
    "lorvexMF_HOME_START(1,1)",
    "lorvexMF_HOME_WAIT(1,1)",
    "lorvexMF_SET_LP(1,1,0)",
    "lorvexMF_SET_EP(1,1,0)",
    "lorvexMF_SERVO_OFF(1,1)",
    # The main menu, once the screen has returned: every axis of the module.
    "lorvexMF_SERVO_OFF(1,15)",
]

# A run of the same call and result is one line: "... -> 0 x48 over 49123 us".
LINE = re.compile(r"(\d+) (\S.*?) -> (\S*)(?: x(\d+) over (\d+) us)?")


def read_trace(path):
    """Every call, a run's calls spread evenly from its first to its last."""
    calls = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            m = LINE.fullmatch(line.rstrip("\n"))
            if not m:
                raise AssertionError(
                    f"trace line {number} is not '<us> <call> -> <result>[ xN over S us]': "
                    f"{line!r}")
            count, span = int(m[4] or 1), int(m[5] or 0)
            if count < 2 and m[4]:
                raise AssertionError(f"trace line {number}: a run of {count}: {line!r}")
            for k in range(count):
                calls.append((int(m[1]) + (span * k // (count - 1) if count > 1 else 0),
                              m[2], m[3]))
    return calls


def check_trace(path):
    calls = read_trace(path)
    times = [t for t, _, _ in calls]
    if times != sorted(times):
        raise AssertionError("trace times go backwards")

    # The calls of the scenario, in this order.
    at = []
    i = 0
    for want in EXPECTED:
        while i < len(calls) and calls[i][1] != want:
            i += 1
        if i == len(calls):
            after = f"after {EXPECTED[len(at) - 1]} (line {at[-1] + 1})" if at else "at all"
            raise AssertionError(f"trace lacks {want} {after}")
        at.append(i)
        i += 1
    where = dict(zip(EXPECTED, at))

    # The positions are set to 0 only once the search has ended.
    start, set_lp = where["lorvexMF_HOME_START(1,1)"], where["lorvexMF_SET_LP(1,1,0)"]
    waits = [c for c in calls[start:set_lp] if c[1] == "lorvexMF_HOME_WAIT(1,1)"]
    if waits[-1][2] != "1":
        raise AssertionError(
            f"SET_LP after HOME_WAIT -> {waits[-1][2]}, not after the search ended")
    if not any(r == "0" for _, _, r in waits):
        raise AssertionError("HOME_WAIT never reported a search under way")

    # From the opening on, before any jog: the inputs can be checked by hand.
    opened = next(i for i, c in enumerate(calls) if c[1].startswith("lorvexMF_GET_LP("))
    jog = where["lorvexMF_FIXED_MOVE(1,1,10000)"]
    early = [t for t, call, _ in calls[opened:jog] if call.startswith("lorvexMF_GET_LP(")]
    early_span = early[-1] - early[0]
    early_rate = (len(early) - 1) / (early_span / 1e6) if early_span else 0
    if early_span < 1_500_000 or not MIN_READ_RATE <= early_rate <= MAX_READ_RATE:
        raise AssertionError(
            f"before the first jog, {len(early)} status reads in {early_span / 1e6:.2f} s "
            f"({early_rate:.1f}/s), not {MIN_READ_RATE}..{MAX_READ_RATE}/s from the opening on")

    first, last = where["lorvexMF_FIXED_MOVE(1,1,10000)"], where["lorvexMF_SERVO_OFF(1,1)"]
    reads = [t for t, call, _ in calls[first:last] if call == "lorvexMF_GET_LP(1,1)"]
    if len(reads) < 2:
        raise AssertionError(f"{len(reads)} status reads between FIXED_MOVE and SERVO_OFF")
    span = calls[last][0] - calls[first][0]
    rate = len(reads) / (span / 1e6)
    # From the move to the first read and from the last read to the servo off too.
    edges = [calls[first][0]] + reads + [calls[last][0]]
    gap, gap_start = max((b - a, a) for a, b in zip(edges, edges[1:]))
    summary = (f"{len(early)} status reads in {early_span / 1e6:.2f} s before the first jog "
               f"({early_rate:.1f}/s); after it {len(reads)} in {span / 1e6:.2f} s ({rate:.1f}/s), "
               f"longest gap {gap / 1000:.0f} ms")
    if not MIN_READ_RATE <= rate <= MAX_READ_RATE:
        raise AssertionError(
            f"status read rate out of {MIN_READ_RATE}..{MAX_READ_RATE}/s: {summary}")
    if gap > MAX_READ_GAP_US:
        # What the program was doing instead: the calls in the gap, status reads aside.
        inside = [f"{c[1]} -> {c[2]}" for c in calls[first:last + 1]
                  if gap_start < c[0] <= gap_start + gap and not c[1].startswith("lorvexMF_GET_")]
        runs = [f"{call} x{len(list(same))}" for call, same in itertools.groupby(inside)]
        raise AssertionError(f"no status read for {gap / 1000:.0f} ms from {gap_start} us "
                             f"(calls then: {', '.join(runs[:4]) or 'none'}"
                             f"{', ...' if len(runs) > 4 else ''}): {summary}")
    return summary


def main(argv):
    if len(argv) == 2 and argv[1] == "drive":
        action = drive
    elif len(argv) == 3 and argv[1] == "trace":
        action = lambda: print(f"trace: {check_trace(argv[2])}")
    else:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        action()
    except AssertionError as e:
        print(f"FAIL: {e}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
