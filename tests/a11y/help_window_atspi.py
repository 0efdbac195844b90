#!/usr/bin/env python3
"""F1 on the main window of the real program opens the help page in the browser window, which
the program loads from its browser module on that first request (the program itself does not
link the browser engine).

Usage: help_window_atspi.py PROGRAM WORKDIR
Needs a display, a session bus and the accessibility bus (run-on-desktop.sh starts them)."""

import os
import subprocess
import sys

import bus
from bus import Session, find, write_settings
from gi.repository import Atspi  # bus has chosen Atspi 2.0


def mapped_files(pid):
    with open(f"/proc/{pid}/maps") as maps:
        return {line.split()[-1] for line in maps if "/" in line}


def main():
    program, work = sys.argv[1], sys.argv[2]
    write_settings("English")
    session = Session(program)
    try:
        app = session.start(cwd=work)
        add = session.expect("the main window", lambda: find(app, "Add", (Atspi.Role.PUSH_BUTTON,), only_showing=True))
        add.get_component_iface().grab_focus()
        bus.key("F1")
        session.expect("the browser window", lambda: find(app, "Print", (Atspi.Role.PUSH_BUTTON,), only_showing=True), 60)
        # The window takes its title from the page: the main window's own help page.
        session.expect("the help page of the main window", lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^The main window$"],
            capture_output=True).returncode == 0, 60)
        module = os.path.join(os.path.dirname(os.path.realpath(program)), "tandor_browser.so")
        if module not in mapped_files(session.proc.pid):
            session.fail(f"the help window is open but {module} is not loaded")
    finally:
        session.stop()
    print("PASS: F1 loaded the browser module and showed the main window's help page")


if __name__ == "__main__":
    main()
