"""Takes the running program to Basic Operation and starts a continuous move
of Axis_X in slot 1; returns once Current Speed reads non-zero, leaving the
axis running for the signal that follows.

Runs under /usr/bin/python3: pyatspi is Debian's package.
"""
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from ui_driver import App, UiError, click, find, find_item, name_of, text, wait_until  # noqa: E402

# Generous: the sanitizer build is two to three times slower.
TIMEOUT = 30.0


def main():
    app = App("Velmira", TIMEOUT)
    menu = app.window("Velmira", TIMEOUT)
    click(find(menu, "Configuration", "push button", TIMEOUT))
    config = app.window("Configation", TIMEOUT)
    click(find(config, "Switch to Test", "push button", TIMEOUT))
    box = app.window("Information", TIMEOUT)
    find(box, "Save all of settings?", "label")
    click(find(box, "No", "push button"))
    basic = app.window("Basic Operation", TIMEOUT)
    click(find_item(basic, ("Lorvex in Slot:1", "Axis_X"), TIMEOUT))
    servo = find(basic, "Servo ON", "push button")
    click(servo)
    wait_until("the servo button to read 'Servo OFF'", lambda: name_of(servo) == "Servo OFF")
    click(find(basic, "Conti. Output", "radio button"))
    click(find(basic, "Forward", "push button"))
    speed = find(basic, "Current Speed", "text")
    wait_until("'Current Speed' to read non-zero", lambda: text(speed) not in ("", "0"), TIMEOUT)


if __name__ == "__main__":
    try:
        main()
    except UiError as e:
        print(f"FAIL: {e}")
        sys.exit(1)
