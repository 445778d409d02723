"""Opens Configuration from the main menu by a click on its button, leaves it
with Escape and closes the main menu the same way; with the argument "open",
leaves Configuration open.

Runs under /usr/bin/python3: pyatspi is Debian's package.
"""
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "binary"))

from ui_driver import App, UiError, click, find, key_in  # noqa: E402

# Generous: the sanitizer build is two to three times slower.
TIMEOUT = 30.0


def main(leave_open):
    app = App("Velmira", TIMEOUT)
    menu = app.window("Velmira", TIMEOUT)
    click(find(menu, "Configuration", "push button", TIMEOUT))
    config = app.window("Configation", TIMEOUT)
    if leave_open:
        return
    key_in(config, "Escape", TIMEOUT)
    app.gone("Configation", TIMEOUT)
    key_in(menu, "Escape", TIMEOUT)


if __name__ == "__main__":
    try:
        main(sys.argv[1:] == ["open"])
    except UiError as e:
        print(f"FAIL: {e}")
        sys.exit(1)
