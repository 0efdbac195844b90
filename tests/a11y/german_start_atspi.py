"""Starts the real program with Language=Deutsch in its settings file and reads its windows
through the accessibility bus: the start-up hint and the main window speak German from the first
window on. Every caption on the bus that is English where the German file says otherwise fails.
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
config = os.path.join(os.environ["XDG_CONFIG_HOME"], "Tandor")
os.makedirs(config, exist_ok=True)
with open(os.path.join(config, "Tandor.ini"), "w", newline="") as f:
    f.write("[General]\r\nLanguage=Deutsch\r\nDontShowHint=0\r\nNoStartupInfo=1\r\n")


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

env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb")
proc = subprocess.Popen([program], env=env)
step = "start"


def fail(message):
    print(f"FAIL ({step}): {message}", flush=True)
    if shots:
        subprocess.run(["import", "-window", "root", os.path.join(shots, "german-start-failure.png")], check=False)
    proc.kill()
    sys.exit(1)


def wait_for(what, seconds=30):
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


def names(app):
    found = []
    for acc in walk(app):
        try:
            if acc.get_role() in (Atspi.Role.PUSH_BUTTON, Atspi.Role.CHECK_BOX, Atspi.Role.LABEL, Atspi.Role.FRAME,
                                  Atspi.Role.DIALOG, Atspi.Role.TOGGLE_BUTTON, Atspi.Role.TEXT):
                found.append((acc.get_role_name(), acc.get_name() or ""))
        except Exception:  # an object that went away while walking
            continue
    return found


def check_german(app, where):
    seen = names(app)
    english_seen = [(role, name) for role, name in seen if name in english_only]
    if english_seen:
        fail(f"{where}: English captions {english_seen}")
    return seen


def the_app():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_process_id() == proc.pid:
            return app
    return None


app = wait_for(the_app)
if app is None:
    fail("the program did not join the accessibility bus")

step = "the start-up hint"
hint = wait_for(lambda: next((a for a in walk(app) if a.get_role() == Atspi.Role.DIALOG), None))
if hint is None:
    fail("the start-up hint did not open")
time.sleep(1)
check_german(app, "with the hint open")
if shots:
    subprocess.run(["import", "-window", "root", os.path.join(shots, "german-start-hint.png")], check=False)
subprocess.run(["xdotool", "key", "--clearmodifiers", "Escape"], check=True)

step = "the main window"
if not wait_for(lambda: not any(a.get_role() == Atspi.Role.DIALOG for a in walk(app)), 10):
    fail("Escape did not close the hint")
seen = check_german(app, "the main window")
compare = german["107"]
if ("push button", compare) not in seen:
    fail(f"no button {compare!r} among {[n for r, n in seen if r == 'push button']}")
if shots:
    subprocess.run(["import", "-window", "root", os.path.join(shots, "german-start-main.png")], check=False)
print(f"PASS: {len(seen)} captions read, none English", flush=True)
proc.kill()
