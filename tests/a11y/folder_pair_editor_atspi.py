#!/usr/bin/env python3
"""Drives the folder pair editor of the real program through the accessibility bus, as a
screen reader user would: Add, type both folders and a file mask, OK, Save (typing the file
name into the save dialog), then reads the saved profile back.

Usage: folder_pair_editor_atspi.py PROGRAM WORKDIR
Needs a display, a session bus and the accessibility bus (run-on-desktop.sh starts them)."""

import os
import subprocess
import sys
import time

from bus import Session, find, write_settings
from gi.repository import Atspi  # bus has chosen Atspi 2.0

BUTTON, DIALOG, TEXT = Atspi.Role.PUSH_BUTTON, Atspi.Role.DIALOG, Atspi.Role.TEXT


def shown(root, role, name_start):
    """Only what shows on the screen: the user cannot work a hidden control."""
    return find(root, name_start, (role,), only_showing=True)


def window_of(node):
    while node is not None:
        try:
            if node.get_role_name() in ("dialog", "file chooser", "frame", "window"):
                return node
            node = node.get_parent()
        except Exception:
            return None
    return None


def type_into(session, node, text):
    """Moves the focus to the box as a screen reader does and types the text on the keyboard."""
    if not node.get_component_iface().grab_focus():
        session.fail(f"{node.get_name()!r} does not take the focus")
    session.expect(f"the focus in {node.get_name()!r}", lambda: node.get_state_set().contains(Atspi.StateType.FOCUSED), 5)
    subprocess.run(["xdotool", "key", "ctrl+a", "BackSpace"], check=True)
    subprocess.run(["xdotool", "type", "--delay", "5", text], check=True)
    session.expect(f"the typed text in {node.get_name()!r}",
                   lambda: node.get_text_iface().get_text(0, -1) == text, 10)


def main():
    program, work = sys.argv[1], sys.argv[2]
    left, right = os.path.join(work, "left"), os.path.join(work, "right")
    for folder in (left, right):
        os.makedirs(folder, exist_ok=True)
    profile = os.path.join(work, "typed.tdp")
    write_settings("English")
    session = Session(program)
    expect = session.expect
    try:
        app = session.start(cwd=work)
        session.act(expect("the Add button", lambda: shown(app, BUTTON, "Add")), "Press")

        # The editor's own boxes: the main window has other texts that start alike.
        editor = expect("the folder pair editor", lambda: shown(app, DIALOG, ""))
        folder1 = expect("the folder 1 box", lambda: shown(editor, TEXT, "Folder 1"))
        type_into(session, folder1, left + "/")  # the trailing separator goes on OK
        type_into(session, shown(editor, TEXT, "Folder 2"), right)
        type_into(session, shown(editor, TEXT, "Include files"), "*.txt")
        session.act(shown(editor, BUTTON, "OK"), "Press")
        expect("the editor to close", lambda: shown(app, DIALOG, "") is None or None, 10)

        session.act(expect("the Save button", lambda: shown(app, BUTTON, "Save")), "Press")
        name_box = expect("the file name box of the save dialog", lambda: shown(app, TEXT, "File name"))
        type_into(session, name_box, profile)
        save_dialog = window_of(name_box)
        session.act(expect("the save dialog's Save button", lambda: shown(save_dialog, BUTTON, "Save")), "Press")
        expect("the saved profile", lambda: os.path.exists(profile), 10)
        time.sleep(0.5)
    finally:
        session.stop()

    with open(profile, "rb") as f:
        saved = f.read().decode("utf-8").replace("\r\n", "\n")
    section = saved[saved.find("[1]"):]
    expected = [f"S={left}\n", f"D={right}\n", "IF=*.txt\n"]
    missing = [line for line in expected if line not in section]
    if "[1]" not in saved or missing or "[2]" in saved:
        raise SystemExit(f"FAIL: the saved profile lacks {missing}:\n{saved}")
    print("PASS: folder pair typed through the accessibility bus was saved as", profile)


if __name__ == "__main__":
    main()
