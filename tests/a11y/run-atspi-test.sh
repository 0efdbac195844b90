#!/bin/sh
# Starts a private X display, session bus and accessibility bus, then runs the folder pair
# editor test against the real program. Exits 77 (skipped) only when one of those is missing.
# Usage: run-atspi-test.sh PROGRAM
program=$1
here=$(dirname "$0")
launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb dbus-daemon xdotool; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -x "$launcher" ] || { echo "SKIP: at-spi-bus-launcher is not installed"; exit 77; }
# The system's python has the GObject bindings; a python of its own earlier on PATH may not.
python=
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' 2>/dev/null; then
        python=$candidate
        break
    fi
done
[ -n "$python" ] || { echo "SKIP: python3-gi with Atspi 2.0 is not installed"; exit 77; }

work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

display=:$((90 + $$ % 400))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids="$pids $!"
export DISPLAY=$display
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
if command -v openbox >/dev/null 2>&1; then openbox >/dev/null 2>&1 & pids="$pids $!"; fi

eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | {
    read -r address; read -r pid; echo "DBUS_SESSION_BUS_ADDRESS='$address'; dbus_pid=$pid"; })"
export DBUS_SESSION_BUS_ADDRESS
pids="$pids $dbus_pid"
"$launcher" --launch-immediately >/dev/null 2>&1 &
pids="$pids $!"
sleep 1

mkdir -p "$work/config/Tandor" "$work/left" "$work/right" "$work/tmp"
printf '[General]\r\nLanguage=English\r\nDontShowHint=1\r\nNoStartupInfo=1\r\n' >"$work/config/Tandor/Tandor.ini"
export XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" HOME="$work"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
unset QT_QPA_PLATFORM
"$python" "$here/folder_pair_editor_atspi.py" "$program" "$work"
