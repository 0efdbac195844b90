#!/usr/bin/env bash
# Installs what the program needs, builds only the program (no tests), restores the example
# folders and runs the first example profile unattended, as cron would: no display, no
# questions. Shows the folders before and after and the day's log file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh program
demo="$PWD/build/example-run"
rm -rf "$demo"
mkdir -p "$demo/config/Tandor" "$demo/logs" "$demo/tmp"
# The remembered state of two-way runs is the example's own too: each run of this script is a first run.
export TMPDIR="$demo/tmp" XDG_CONFIG_HOME="$demo/config" XDG_STATE_HOME="$demo/state"
printf '[General]\r\nLanguage=English\r\nLogToFile=1\r\nDontShowHint=1\r\n[Paths]\r\nLogfiles=%s\r\n' \
  "$demo/logs" > "$demo/config/Tandor/Tandor.ini"
sh build/RestoreEn.sh
show() { (cd "$TMPDIR/Tandor/Example1" && find . -type f | sort | while read -r f; do
  printf '  %-36s %s\n' "$f" "$(head -c 40 "$f" | tr '\n' ' ')"; done); }
echo "Before:"; show
set +e
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  build/tandor "$PWD/build/examples/Example1.tdp" -auto -dontask -hide
status=$?
set -e
echo "After (exit status $status):"; show
echo "Log:"; cat "$demo"/logs/*.log
exit $status
