#!/usr/bin/env bash
# Drives the real program as a screen reader does: a virtual display with a window manager, a
# private D-Bus session with the accessibility bus, and a driver script (beside this one) that
# works the windows through the bus only (keys aside).
# Usage: run-on-desktop.sh <driver.py> <tandor executable>
# Exit status 77 (skipped) only when the tools for it are not installed.
set -uo pipefail
driver=${1:?usage: run-on-desktop.sh <driver.py> <tandor executable>}
program=${2:?usage: run-on-desktop.sh <driver.py> <tandor executable>}
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

missing=()
for tool in Xvfb openbox dbus-run-session xdotool /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
"$python" -c "import gi; gi.require_version('Atspi', '2.0'); from gi.repository import Atspi" 2>/dev/null \
  || missing+=("python3-gi with gir1.2-atspi-2.0")
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: not installed: ${missing[*]} (scripts/install-deps.sh installs them)"
  exit 77
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number.
display=120
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"
openbox >/dev/null 2>&1 &
pids+=($!)

export XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" HOME="$work/home"
mkdir -p "$XDG_CONFIG_HOME" "$TMPDIR" "$HOME"
# The driver imports bus.py beside it (Python looks in the driver's folder first); no byte-code
# cache is left in the source tree.
export PYTHONDONTWRITEBYTECODE=1
dbus-run-session -- "$python" "$here/$driver" "$program" "$work" "${TANDOR_SHOT_DIR:-}"
