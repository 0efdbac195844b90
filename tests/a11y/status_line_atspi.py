"""Reads the status line of the real program through the accessibility bus, as a screen reader
does: the profile's folder 2 is missing, so the compare at start fails and the status line says
so. Its label must be read by its text, not by a generic name.
"""
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

program, work = sys.argv[1], sys.argv[2]
shots = sys.argv[3] if len(sys.argv) > 3 else ""
left, right = os.path.join(work, "left"), os.path.join(work, "gone")
os.makedirs(left)
with open(os.path.join(left, "a.txt"), "w") as f:
    f.write("alpha")
config = os.path.join(os.environ["XDG_CONFIG_HOME"], "Tandor")
os.makedirs(config, exist_ok=True)
with open(os.path.join(config, "Tandor.ini"), "w", newline="") as f:
    f.write("[General]\r\nLanguage=English\r\nDontShowHint=1\r\nNoStartupInfo=1\r\n")
profile = os.path.join(work, "status.tdp")
with open(profile, "w") as f:
    f.write("[General]\nLeft=Left\nRight=Right\nCompareDate=1\nCompareSize=1\nTimeLag=00:00:02\n"
            "[0]\nED=0\nF1=0\nF2=0\nSO0=1\nSO1=0\nSO2=0\nSO3=0\nSO4=0\n"
            f"[1]\nS={left}\nD={right}\nSA=0\nDA=0\nSu=1\nHD=1\nHF=1\nSD=0\nSF=0\nIS=*\nES=\nIF=*\nEF=\nDF=\n")

env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb")
proc = subprocess.Popen([program, profile], env=env)
step = "start"


def shot(name):
    if shots:
        os.makedirs(shots, exist_ok=True)
        subprocess.run(["import", "-window", "root", os.path.join(shots, name + ".png")], check=False)


def fail(message):
    print(f"FAIL ({step}): {message}", flush=True)
    shot("status-test-failure")
    proc.kill()
    sys.exit(1)


def wait_for(what, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        if proc.poll() is not None:
            fail(f"the program ended with status {proc.returncode}")
        found = what()
        if found:
            return found
        time.sleep(0.2)
    return None


def walk(acc, depth=0):
    if acc is None or depth > 40:
        return
    yield acc
    if acc.get_role() == Atspi.Role.TABLE:
        return
    for i in range(acc.get_child_count()):
        yield from walk(acc.get_child_at_index(i), depth + 1)


def names(root, roles):
    found = []
    for acc in walk(root):
        try:
            acc.clear_cache()
            if acc.get_role() in roles and acc.get_state_set().contains(Atspi.StateType.SHOWING):
                found.append((acc, acc.get_name() or ""))
        except Exception:  # an object that went away while walking
            continue
    return found


def the_app():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_process_id() == proc.pid:
            return app
    return None


def press(acc):
    for i in range(acc.get_n_actions()):
        if acc.get_action_name(i) == "Press":
            acc.do_action(i)
            return
    fail(f"{acc.get_name()!r} has no action 'Press'")


def answer_boxes():
    """Presses OK on any box the failed compare showed; returns the texts of the boxes' labels."""
    texts = []
    for acc, name in names(app, (Atspi.Role.DIALOG,)):
        texts += [n for _, n in names(acc, (Atspi.Role.LABEL,))] + [acc.get_description() or ""]
        for button, caption in names(acc, (Atspi.Role.PUSH_BUTTON,)):
            if caption in ("OK", "&OK"):
                press(button)
    return texts


app = wait_for(the_app, 30)
if app is None:
    fail("the program did not join the accessibility bus")

step = "the status line after the failed compare"
wanted = "Folder 2 (right) could not be read."


def status_read():
    answer_boxes()
    return any(wanted in name for _, name in names(app, (Atspi.Role.LABEL, Atspi.Role.STATUS_BAR)))


if not wait_for(status_read, 30):
    fail(f"no label on the bus reads {wanted!r}; labels: {[n for _, n in names(app, (Atspi.Role.LABEL,))]}")
generic = [n for _, n in names(app, (Atspi.Role.LABEL,)) if n.startswith("Status field")]
if generic:
    fail(f"status labels are read by a generic name: {generic}")
shot("status-line-read")

print("PASS: the status line reads its text", flush=True)
proc.terminate()
try:
    proc.wait(10)
except subprocess.TimeoutExpired:
    proc.kill()
sys.exit(0)
