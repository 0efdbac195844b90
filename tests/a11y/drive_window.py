"""Works the main window through the accessibility bus as a screen reader user does.

Two files on the left copy to the right and one file lies on the right only. Through the bus and
the keyboard the script unticks one row, switches on "Delete in 2" with the accessibility action
Toggle, and runs the synchronisation. The files on disk must then be what the window showed: the ticked file
copied, the unticked one not, the right-only file deleted.
"""
import os
import subprocess
import sys
import time

from bus import Session, find, key, walk, write_profile, write_settings
from gi.repository import Atspi, GLib  # bus has chosen Atspi 2.0

program, work = sys.argv[1], sys.argv[2]
left, right = os.path.join(work, "left"), os.path.join(work, "right")
os.makedirs(left)
os.makedirs(right)
for folder, name, text in ((left, "a.txt", "alpha"), (left, "b.txt", "bravo"), (right, "extra.txt", "only right")):
    with open(os.path.join(folder, name), "w") as f:
        f.write(text)
# A user who chose English and has read the start-up hint.
write_settings("English")
profile = os.path.join(work, "bus.tdp")
write_profile(profile, left, right, delete_in_2=True)

session = Session(program, sys.argv[3] if len(sys.argv) > 3 else "", "bus-test-failure")
fail, wait_for, shot = session.fail, session.wait_for, session.shot
app = session.start(profile)
proc = session.proc


def states(acc):
    acc.clear_cache()
    return acc.get_state_set()


def press(acc):
    """A button pressed by keyboard, as a screen reader user does: focus, then Space."""
    Atspi.Component.grab_focus(acc)
    time.sleep(0.3)
    key("space")


session.step = "the compared list"
table = wait_for(lambda: find(app, "Compared files", (Atspi.Role.TABLE,)))
if table is None:
    fail("no table named 'Compared files'")
if not wait_for(lambda: Atspi.Table.get_n_rows(table) >= 4):
    fail(f"the list has {Atspi.Table.get_n_rows(table)} rows after the compare, not 4")
frame = wait_for(lambda: next((a for a in walk(app) if a.get_role() == Atspi.Role.FRAME), None))
title = wait_for(lambda: subprocess.run(["xdotool", "search", "--pid", str(proc.pid), "--onlyvisible", "--name", "Tandor", "getwindowname"],
                                       capture_output=True, text=True).stdout.strip().split("\n")[0], 30)
if frame.get_name() != title:
    fail(f"the window's accessible name {frame.get_name()!r} is not its title {title!r}")
if not Atspi.Table.get_column_description(table, 4):
    fail("the direction column's header has no name")

session.step = "untick b.txt with the keyboard"
rows = [Atspi.Table.get_accessible_at(table, r, 0).get_name() for r in range(Atspi.Table.get_n_rows(table))]
b_row = next((r for r, name in enumerate(rows) if name.startswith("b.txt")), None)
if b_row is None:
    fail(f"no row for b.txt among {rows}")
Atspi.Component.grab_focus(table)
key("Home")
for _ in range(b_row):
    key("Down")
b_tick = Atspi.Table.get_accessible_at(table, b_row, 0)
if not wait_for(lambda: states(b_tick).contains(Atspi.StateType.FOCUSED), 5):
    fail("the cursor's tick cell of b.txt does not have the focus")
if not states(b_tick).contains(Atspi.StateType.CHECKED):
    fail("b.txt is not ticked before Space")
key("space")
if not wait_for(lambda: not states(b_tick).contains(Atspi.StateType.CHECKED), 5):
    fail("Space did not untick b.txt")
print("row sentence after Space:", b_tick.get_name(), flush=True)

session.step = "Delete in 2 through Toggle"
delete_in_2 = find(app, "Delete in 2")
if delete_in_2 is None:
    fail("no control named 'Delete in 2'")
if states(delete_in_2).contains(Atspi.StateType.CHECKED):
    fail("'Delete in 2' is on before the toggle")
session.act(delete_in_2, "Toggle")
if not wait_for(lambda: states(delete_in_2).contains(Atspi.StateType.CHECKED), 5):
    fail("'Delete in 2' does not show on after Toggle")

session.step = "the options menu on the bus"
# A screen reader meets a menu through the focus of its items: the focused item, its menu (named
# after the button that opened it) and the menu's other items must all be on the bus.
focused_items = []


def on_focus(event):
    if event.source.get_role() == Atspi.Role.MENU_ITEM and event.detail1 == 1:
        focused_items.append(event.source)


def pumped_item():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)
    return focused_items[-1] if focused_items else None


listener = Atspi.EventListener.new(on_focus)
listener.register("object:state-changed:focused")
press(find(app, "Extras", (Atspi.Role.PUSH_BUTTON,)))
key("Down")
item = wait_for(pumped_item, 10)
if item is None:
    fail("no item of the options menu took the focus")
menu = item.get_parent()
items = [menu.get_child_at_index(i).get_name() for i in range(menu.get_child_count())]
if menu.get_name() != "Extras" or not {"Default settings", "Scheduled task", "Help"} <= set(items):
    fail(f"the open menu reads {menu.get_name()!r} with {items}")
listener.deregister("object:state-changed:focused")
key("Escape")

session.step = "synchronise"
press(find(app, "Synchronize", (Atspi.Role.PUSH_BUTTON,)))
answered = []


def done_or_answer():
    copied = os.path.exists(os.path.join(right, "a.txt"))
    deleted = not os.path.exists(os.path.join(right, "extra.txt"))
    if copied and deleted:
        return True
    # The synchronize question (and any later box) is answered on the bus, as a user would.
    for label in ("Yes", "OK"):
        button = find(app, label, (Atspi.Role.PUSH_BUTTON,))
        if button is not None and states(button).contains(Atspi.StateType.SHOWING):
            answered.append(label)
            session.act(button, "Press")
            return False
    return False


if not wait_for(done_or_answer, 60):
    fail(f"the run did not copy a.txt and delete extra.txt (answered {answered})")
time.sleep(1)
with open(os.path.join(right, "a.txt")) as f:
    if f.read() != "alpha":
        fail("right/a.txt does not hold what left/a.txt holds")
if os.path.exists(os.path.join(right, "b.txt")):
    fail("the unticked b.txt was copied")
if not os.path.exists(os.path.join(left, "b.txt")):
    fail("left/b.txt is gone")
shot("bus-after-run")
print("PASS: the run did what the window showed; answered", answered, flush=True)
session.stop()
sys.exit(0)
