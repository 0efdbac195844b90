#!/usr/bin/env python3
"""Drives the folder pair editor of the real program through the accessibility bus, as a
screen reader user would: Add, type both folders and a file mask, OK, Save (typing the file
name into the save dialog), then reads the saved profile back.

Usage: folder_pair_editor_atspi.py PROGRAM WORKDIR
Needs a display, a session bus and the accessibility bus (run-atspi-test.sh starts them)."""

import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

TIMEOUT = 30.0


LAST_APP = []


def describe(root):
    lines = []
    for node in walk(root):
        try:
            if node.get_state_set().contains(Atspi.StateType.SHOWING):
                lines.append(f"  {node.get_role_name()}: {node.get_name()!r}")
        except Exception:
            continue
    return "\n".join(lines)


def wait_for(what, probe, timeout=TIMEOUT):
    end = time.time() + timeout
    while time.time() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.2)
    shown = describe(LAST_APP[0]) if LAST_APP else ""
    raise SystemExit(f"FAIL: {what} did not happen within {timeout:.0f} s; on screen:\n{shown}")


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        count = node.get_child_count()
    except Exception:
        return
    for i in range(count):
        try:
            child = node.get_child_at_index(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def find(root, role, name_start):
    for node in walk(root):
        try:
            if node.get_role_name() == role and (node.get_name() or "").startswith(name_start):
                if node.get_state_set().contains(Atspi.StateType.SHOWING):
                    return node
        except Exception:
            continue
    return None


def window_of(node):
    while node is not None:
        try:
            if node.get_role_name() in ("dialog", "file chooser", "frame", "window"):
                return node
            node = node.get_parent()
        except Exception:
            return None
    return None


def application(pid):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def press(node):
    action = node.get_action_iface()  # the interface calls of Debian 12's bindings
    for i in range(action.get_n_actions()):
        if action.get_action_name(i) in ("press", "Press", "click"):
            action.do_action(i)
            return
    action.do_action(0)


def type_into(node, text):
    """Moves the focus to the box as a screen reader does and types the text on the keyboard."""
    if not node.get_component_iface().grab_focus():
        raise SystemExit(f"FAIL: {node.get_name()!r} does not take the focus")
    wait_for(f"the focus in {node.get_name()!r}", lambda: node.get_state_set().contains(Atspi.StateType.FOCUSED), 5)
    subprocess.run(["xdotool", "key", "ctrl+a", "BackSpace"], check=True)
    subprocess.run(["xdotool", "type", "--delay", "5", text], check=True)
    shown = wait_for(f"the typed text in {node.get_name()!r}",
                     lambda: node.get_text_iface().get_text(0, -1) == text, 10)
    if not shown:
        raise SystemExit(f"FAIL: {node.get_name()!r} does not show {text!r}")


def start_on_bus(program, work):
    """Starts the program in work with English texts and no start-up hints, joined to the
    accessibility bus."""
    settings = os.path.join(os.environ["XDG_CONFIG_HOME"], "Tandor")
    os.makedirs(settings, exist_ok=True)
    with open(os.path.join(settings, "Tandor.ini"), "w", newline="") as f:
        f.write("[General]\r\nLanguage=English\r\nDontShowHint=1\r\nNoStartupInfo=1\r\n")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb")
    return subprocess.Popen([program], cwd=work, env=env)


def stop(proc):
    proc.terminate()
    try:
        proc.wait(10)
    except subprocess.TimeoutExpired:
        proc.kill()


def main():
    program, work = sys.argv[1], sys.argv[2]
    left, right = os.path.join(work, "left"), os.path.join(work, "right")
    for folder in (left, right):
        os.makedirs(folder, exist_ok=True)
    profile = os.path.join(work, "typed.tdp")
    proc = start_on_bus(program, work)
    try:
        Atspi.init()
        app = wait_for("the program on the accessibility bus", lambda: application(proc.pid))
        LAST_APP.append(app)
        press(wait_for("the Add button", lambda: find(app, "push button", "Add")))

        # The editor's own boxes: the main window has other texts that start alike.
        editor = wait_for("the folder pair editor", lambda: find(app, "dialog", ""))
        folder1 = wait_for("the folder 1 box", lambda: find(editor, "text", "Folder 1"))
        type_into(folder1, left + "/")  # the trailing separator goes on OK
        type_into(find(editor, "text", "Folder 2"), right)
        type_into(find(editor, "text", "Include files"), "*.txt")
        press(find(editor, "push button", "OK"))
        wait_for("the editor to close", lambda: find(app, "dialog", "") is None or None, 10)

        press(wait_for("the Save button", lambda: find(app, "push button", "Save")))
        name_box = wait_for("the file name box of the save dialog", lambda: find(app, "text", "File name"))
        type_into(name_box, profile)
        save_dialog = window_of(name_box)
        press(wait_for("the save dialog's Save button", lambda: find(save_dialog, "push button", "Save")))
        wait_for("the saved profile", lambda: os.path.exists(profile), 10)
        time.sleep(0.5)
    finally:
        stop(proc)

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
