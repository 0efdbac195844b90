#!/usr/bin/env bash
# The program binary must start without the browser engine: it may not depend on Qt WebEngine,
# WebChannel, Quick, Qml or PrintSupport, which only the browser module loads. And the module
# must fit the program: every symbol it does not define comes from the program (which exports
# its own functions for it) or from a library the module itself depends on, so that loading it
# never fails on a missing symbol and never brings a second copy of the program's code.
#
# Usage: check-browser-module-links.sh <program> <module>
set -euo pipefail
program=$1 module=$2
for file in "$program" "$module"; do
    [[ -f $file ]] || { echo "missing: $file" >&2; exit 1; }
done

status=0
engine_libraries=$(readelf -d "$program" | grep -E 'NEEDED.*(WebEngine|WebChannel|Quick|Qml|PrintSupport)' || true)
if [[ -n $engine_libraries ]]; then
    echo "the program depends on browser libraries:"
    echo "$engine_libraries"
    status=1
fi
if ! readelf -d "$module" | grep -q 'NEEDED.*WebEngine'; then
    echo "the module does not depend on the browser engine: is it the browser module?"
    status=1
fi

# Names of the dynamic symbols a file defines, without their version suffixes.
defined() { nm -D --defined-only "$1" | awk '{print $3}' | sed 's/@.*//'; }
provided=$(mktemp) needed=$(mktemp)
trap 'rm -f "$provided" "$needed"' EXIT
{
    defined "$program"
    ldd "$module" | awk '$2 == "=>" && $3 ~ /^\// {print $3}' | while read -r library; do defined "$library"; done
} | sort -u >"$provided"
# Weak references ("w", "v") may stay unresolved; only strong ones ("U") must be found.
nm -D --undefined-only "$module" | awk '$1 == "U" {print $2}' | sed 's/@.*//' | sort -u >"$needed"
missing=$(comm -23 "$needed" "$provided")
if [[ -n $missing ]]; then
    echo "the module needs symbols that neither the program nor its libraries define:"
    echo "$missing" | head -20 | c++filt
    status=1
fi
[[ $status -eq 0 ]] && echo "program free of the browser engine; module resolves from the program ($(wc -l <"$needed") symbols)"
exit $status
