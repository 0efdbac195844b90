"""What every accessibility-bus test needs before and around its checks: the settings file and a
profile to start from, the program started so that it joins the bus, and a session that finds
the program's objects there, waits for them, takes screenshots and reports a failure.

run-on-desktop.sh starts each driver by its path in this folder, so Python finds this module
beside it wherever ctest runs from.
"""
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

Atspi.init()


def write_settings(language="English", hint=False):
    """The settings file of a user who chose a language and, unless hint, has read the start-up
    hint. Written with CR LF, as the program writes it."""
    config = os.path.join(os.environ["XDG_CONFIG_HOME"], "Tandor")
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "Tandor.ini"), "w", newline="") as f:
        f.write(f"[General]\r\nLanguage={language}\r\nDontShowHint={0 if hint else 1}\r\nNoStartupInfo=1\r\n")


def write_profile(path, left, right, delete_in_2=False):
    """A profile with one folder pair, compared by date and size, that the program compares on
    start."""
    with open(path, "w") as f:
        f.write("[General]\nLeft=Left\nRight=Right\nCompareDate=1\nCompareSize=1\nTimeLag=00:00:02\n"
                "[0]\nED=0\nF1=0\nF2=0\nSO0=1\nSO1=0\nSO2=0\nSO3=0\nSO4=0\n"
                f"[1]\nS={left}\nD={right}\nSA=0\nDA={1 if delete_in_2 else 0}\nSu=1\nHD=1\nHF=1\nSD=0\nSF=0\n"
                "IS=*\nES=\nIF=*\nEF=\nDF=\n")


def walk(acc, depth=0):
    """Every object below acc, the cells of tables excepted (they are read through the table).
    An object that goes away while walking ends its branch, not the walk."""
    if acc is None or depth > 40:
        return
    yield acc
    try:
        if acc.get_role() == Atspi.Role.TABLE:
            return
        count = acc.get_child_count()
    except Exception:
        return
    for i in range(count):
        try:
            child = acc.get_child_at_index(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def showing(acc):
    acc.clear_cache()  # the state changes under a cached object
    return acc.get_state_set().contains(Atspi.StateType.SHOWING)


def find(root, prefix, roles=None, only_showing=False):
    """The first object below root whose name starts with prefix, of one of roles if given."""
    for acc in walk(root):
        try:
            if ((roles is None or acc.get_role() in roles) and (acc.get_name() or "").startswith(prefix)
                    and (not only_showing or showing(acc))):
                return acc
        except Exception:  # an object that went away while walking
            continue
    return None


def names(root, roles, only_showing=False):
    """(object, name) of every object below root of one of roles."""
    found = []
    for acc in walk(root):
        try:
            if acc.get_role() in roles and (not only_showing or showing(acc)):
                found.append((acc, acc.get_name() or ""))
        except Exception:  # an object that went away while walking
            continue
    return found


def describe(root):
    """The showing objects below root, one a line, for a failure message."""
    lines = []
    for acc in walk(root):
        try:
            if showing(acc):
                lines.append(f"  {acc.get_role_name()}: {acc.get_name()!r}")
        except Exception:
            continue
    return "\n".join(lines)


def key(*names):
    """Keys as the user presses them; the pause lets the program take them in before the next
    look at the bus."""
    subprocess.run(["xdotool", "key", "--clearmodifiers", *names], check=True)
    time.sleep(0.3)


class Session:
    """One run of the program on the bus. step names what the script is doing, for the failure
    message; failure_shot names the screenshot taken on failure (taken only when a shot folder
    was given)."""

    def __init__(self, program, shots="", failure_shot="failure"):
        self.program, self.shots, self.failure_shot = program, shots, failure_shot
        self.proc = None
        self.app = None
        self.step = "start"

    def start(self, *args, cwd=None):
        """Starts the program with the accessibility bridge on and waits until it is on the bus."""
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb")
        self.proc = subprocess.Popen([self.program, *args], cwd=cwd, env=env)
        self.app = self.wait_for(self._the_app, 30)
        if self.app is None:
            self.fail("the program did not join the accessibility bus")
        return self.app

    def _the_app(self):
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            try:
                app = desktop.get_child_at_index(i)
                if app is not None and app.get_process_id() == self.proc.pid:
                    return app
            except Exception:  # another program that left the bus meanwhile
                continue
        return None

    def shot(self, name):
        if self.shots:
            os.makedirs(self.shots, exist_ok=True)
            subprocess.run(["import", "-window", "root", os.path.join(self.shots, name + ".png")], check=False)

    def fail(self, message):
        print(f"FAIL ({self.step}): {message}", flush=True)
        self.shot(self.failure_shot)
        if self.proc is not None:
            self.proc.kill()
        sys.exit(1)

    def wait_for(self, what, seconds=20):
        """what's first true value within seconds, else None; fails at once if the program ends."""
        end = time.time() + seconds
        while time.time() < end:
            if self.proc.poll() is not None:
                self.fail(f"the program ended with status {self.proc.returncode}")
            found = what()
            if found:
                return found
            time.sleep(0.2)
        return None

    def expect(self, what, probe, seconds=30):
        """wait_for that fails when probe stays false, listing what is on the screen instead."""
        found = self.wait_for(probe, seconds)
        if not found:
            self.fail(f"{what} did not happen within {seconds:.0f} s; on screen:\n{describe(self.app)}")
        return found

    def act(self, acc, name):
        """Does the accessibility action name, as a screen reader's command does."""
        action = acc.get_action_iface()
        for i in range(action.get_n_actions()):
            if action.get_action_name(i) == name:
                action.do_action(i)
                return
        self.fail(f"{acc.get_name()!r} has no action {name!r}")

    def stop(self):
        if self.proc is None or self.proc.poll() is not None:
            return
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
