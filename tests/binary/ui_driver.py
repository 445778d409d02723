"""Drives the real program through the accessibility bus, as a user would.

Controls are found by their accessible names (and roles), never by fixed
positions; clicks and keys are real X events sent with xdotool to the middle
of a control's extents.
"""
import re
import subprocess
import time

import pyatspi


class UiError(AssertionError):
    pass


def wait_until(what, condition, timeout=20.0, step=0.05):
    end = time.monotonic() + timeout
    last = None
    while time.monotonic() < end:
        try:
            last = condition()
        except Exception as e:  # the tree changes under us while screens open and close
            last = e
        else:
            if last:
                return last
        time.sleep(step)
    raise UiError(f"timed out after {timeout:g} s waiting for {what} (last: {last!r})")


def name_of(acc):
    return (acc.name or "").strip()


def walk(acc):
    yield acc
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def active(acc):
    return acc.getState().contains(pyatspi.STATE_ACTIVE)


class App:
    def __init__(self, name, timeout=30.0):
        desktop = pyatspi.Registry.getDesktop(0)

        def find():
            for i in range(desktop.childCount):
                a = desktop.getChildAtIndex(i)
                if a is not None and a.name == name:
                    return a
            return None

        self.acc = wait_until(f"application {name!r} on the accessibility bus", find, timeout)

    def window(self, title, timeout=20.0):
        def find():
            for i in range(self.acc.childCount):
                w = self.acc.getChildAtIndex(i)
                if w is not None and w.name == title and showing(w):
                    return w
            return None

        return wait_until(f"window {title!r}", find, timeout)

    def gone(self, title, timeout=20.0):
        def closed():
            for i in range(self.acc.childCount):
                w = self.acc.getChildAtIndex(i)
                if w is not None and w.name == title and showing(w):
                    return False
            return True

        wait_until(f"window {title!r} to close", closed, timeout)


def find(window, name, role=None, timeout=10.0):
    def look():
        for a in walk(window):
            if name_of(a) == name and (role is None or a.getRoleName() == role) and showing(a):
                return a
        return None

    return wait_until(f"{role or 'control'} {name!r}", look, timeout)


def find_item(window, path, timeout=10.0):
    """A tree item by its labels from the root: ("Lorvex in Slot:1", "Axis_X")."""
    tree = find(window, "Modules", "tree", timeout)

    def look():
        items = [a for a in walk(tree) if a is not tree and name_of(a) == path[-1] and showing(a)]
        if len(path) == 1:
            return items[0] if items else None
        # An axis label repeats under every module: take the one below the module.
        module = [a for a in walk(tree) if name_of(a) == path[0] and showing(a)]
        if not module:
            return None
        my = module[0].queryComponent().getExtents(pyatspi.DESKTOP_COORDS).y
        below = [i for i in items if i.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).y > my]
        below.sort(key=lambda i: i.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).y)
        return below[0] if below else None

    return wait_until(f"tree item {'/'.join(path)}", look, timeout)


def centre(acc):
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    if e.width <= 0 or e.height <= 0:
        raise UiError(f"{name_of(acc)!r} has no extent on the screen")
    return e.x + e.width // 2, e.y + e.height // 2


def click(acc):
    # A click on a disabled control is silently lost: say so here rather than
    # time out later waiting for its effect.
    if not enabled(acc):
        raise UiError(f"{acc.getRoleName()} {name_of(acc)!r} is disabled")
    x, y = centre(acc)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)


def text(acc):
    t = acc.queryText()
    return t.getText(0, -1)


def type_into(acc, value):
    """Replaces a field's text as a user would: click, select all, type."""
    click(acc)
    subprocess.run(["xdotool", "key", "ctrl+a"], check=True)
    subprocess.run(["xdotool", "type", "--delay", "20", "--", value], check=True)


def key(name):
    subprocess.run(["xdotool", "key", name], check=True)


def key_in(window, name, timeout=10.0):
    """A key for a window, which is given the keyboard first: without a window
    manager nobody hands it back to a window when a dialog above it closes."""
    title = name_of(window)
    if not active(window):
        search = ["xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$"]
        ids = subprocess.run(search, capture_output=True, text=True).stdout.split()
        if len(ids) != 1:
            raise UiError(f"{len(ids)} visible X windows titled {title!r}")
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], check=True)
    wait_until(f"window {title!r} to be active", lambda: active(window), timeout)
    key(name)


def enabled(acc):
    return acc.getState().contains(pyatspi.STATE_ENABLED)
