#!/usr/bin/env python3
"""F1 on the main window of the real program opens the help page in the browser window, which
the program loads from its browser module on that first request (the program itself does not
link the browser engine).

Usage: help_window_atspi.py PROGRAM WORKDIR
Needs a display, a session bus and the accessibility bus (run-on-desktop.sh starts them)."""

import os
import subprocess
import sys

from folder_pair_editor_atspi import LAST_APP, application, find, start_on_bus, stop, wait_for

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def mapped_files(pid):
    with open(f"/proc/{pid}/maps") as maps:
        return {line.split()[-1] for line in maps if "/" in line}


def main():
    program, work = sys.argv[1], sys.argv[2]
    proc = start_on_bus(program, work)
    try:
        Atspi.init()
        app = wait_for("the program on the accessibility bus", lambda: application(proc.pid))
        LAST_APP.append(app)
        add = wait_for("the main window", lambda: find(app, "push button", "Add"))
        add.get_component_iface().grab_focus()
        subprocess.run(["xdotool", "key", "F1"], check=True)
        wait_for("the browser window", lambda: find(app, "push button", "Print"), 60)
        # The window takes its title from the page: the main window's own help page.
        wait_for("the help page of the main window", lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^The main window$"],
            capture_output=True).returncode == 0, 60)
        module = os.path.join(os.path.dirname(os.path.realpath(program)), "tandor_browser.so")
        if module not in mapped_files(proc.pid):
            raise SystemExit(f"FAIL: the help window is open but {module} is not loaded")
    finally:
        stop(proc)
    print("PASS: F1 loaded the browser module and showed the main window's help page")


if __name__ == "__main__":
    main()
