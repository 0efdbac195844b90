"""Starts the real program with Language=Deutsch in its settings file and reads its windows
through the accessibility bus: the start-up hint and the main window speak German from the first
window on. Every caption on the bus that is English where the German file says otherwise fails.
"""
import os
import sys
import time

import bus
from bus import Session, walk, write_settings
from gi.repository import Atspi  # bus has chosen Atspi 2.0

program, work = sys.argv[1], sys.argv[2]
write_settings("Deutsch", hint=True)


def captions(name):
    """key -> caption of a language file beside the program, access-key marks removed."""
    texts = {}
    with open(os.path.join(os.path.dirname(program), name), encoding="utf-8", errors="replace") as f:
        for line in f:
            if "=" not in line or line.startswith(";"):
                continue
            key, text = line.rstrip("\r\n").split("=", 1)
            text = text.split("|", 1)[0].replace("&&", "\0").replace("&", "").replace("\0", "&").strip()
            if text and not text.startswith(":") and "%" not in text:
                texts[key] = text
    return texts


english, german = captions("English.lang"), captions("Deutsch.lang")
english_only = {text: key for key, text in english.items() if key in german and german[key] != text}

session = Session(program, sys.argv[3] if len(sys.argv) > 3 else "", "german-start-failure")
fail, wait_for, shot = session.fail, session.wait_for, session.shot


def names(app):
    """(role name, name) of every captioned object on the bus, shown or not."""
    captioned = (Atspi.Role.PUSH_BUTTON, Atspi.Role.CHECK_BOX, Atspi.Role.LABEL, Atspi.Role.FRAME,
                 Atspi.Role.DIALOG, Atspi.Role.TOGGLE_BUTTON, Atspi.Role.TEXT)
    return [(acc.get_role_name(), name) for acc, name in bus.names(app, captioned)]


def check_german(app, where):
    seen = names(app)
    english_seen = [(role, name) for role, name in seen if name in english_only]
    if english_seen:
        fail(f"{where}: English captions {english_seen}")
    return seen


app = session.start()

session.step = "the start-up hint"
hint = wait_for(lambda: next((a for a in walk(app) if a.get_role() == Atspi.Role.DIALOG), None), 30)
if hint is None:
    fail("the start-up hint did not open")
time.sleep(1)
check_german(app, "with the hint open")
shot("german-start-hint")
bus.key("Escape")

session.step = "the main window"
if not wait_for(lambda: not any(a.get_role() == Atspi.Role.DIALOG for a in walk(app)), 10):
    fail("Escape did not close the hint")
seen = check_german(app, "the main window")
compare = german["107"]
if ("push button", compare) not in seen:
    fail(f"no button {compare!r} among {[n for r, n in seen if r == 'push button']}")
shot("german-start-main")
print(f"PASS: {len(seen)} captions read, none English", flush=True)
session.stop()
