"""Reads the status line of the real program through the accessibility bus, as a screen reader
does: the profile's folder 2 is missing, so the compare at start fails and the status line says
so. Its label must be read by its text, not by a generic name.
"""
import os
import sys

import bus
from bus import Session, write_profile, write_settings
from gi.repository import Atspi  # bus has chosen Atspi 2.0

program, work = sys.argv[1], sys.argv[2]
left, right = os.path.join(work, "left"), os.path.join(work, "gone")
os.makedirs(left)
with open(os.path.join(left, "a.txt"), "w") as f:
    f.write("alpha")
write_settings("English")
profile = os.path.join(work, "status.tdp")
write_profile(profile, left, right)

session = Session(program, sys.argv[3] if len(sys.argv) > 3 else "", "status-test-failure")
fail, wait_for, shot = session.fail, session.wait_for, session.shot
app = session.start(profile)


def names(root, roles):
    """What shows on the screen now, as a screen reader reads it."""
    return bus.names(root, roles, only_showing=True)


def answer_boxes():
    """Presses OK on any box the failed compare showed; returns the texts of the boxes' labels."""
    texts = []
    for acc, name in names(app, (Atspi.Role.DIALOG,)):
        texts += [n for _, n in names(acc, (Atspi.Role.LABEL,))] + [acc.get_description() or ""]
        for button, caption in names(acc, (Atspi.Role.PUSH_BUTTON,)):
            if caption in ("OK", "&OK"):
                session.act(button, "Press")
    return texts


session.step = "the status line after the failed compare"
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
session.stop()
sys.exit(0)
