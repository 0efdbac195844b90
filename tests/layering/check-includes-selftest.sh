#!/usr/bin/env bash
# Proves that the layering check sees a back door: on a small tree that keeps the layers it
# passes; with one upward or sideways include planted at a time it fails and names the line.
set -uo pipefail

check=$(cd "$(dirname "$0")" && pwd)/check-includes.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

# One file per layer, each including only what it may.
plant() { mkdir -p "$tree/$(dirname "$1")" && printf '#include "%s"\n' "${@:2}" >"$tree/$1"; }
reset_tree() {
    rm -rf "${tree:?}"/*
    plant platform/Listing.h '<cstdint>'
    plant config/Settings.h platform/Listing.h
    plant i18n/forms/Scale.h engine/Run.h
    plant engine/Run.h config/Settings.h platform/Listing.h
    plant app/Startup.h engine/Run.h
    plant web/Help.h engine/Run.h i18n/forms/Scale.h
    plant ui/main/Window.h engine/Run.h i18n/forms/Scale.h web/Help.h ui_Window.h
    plant app/WindowedStart.cpp app/Startup.h ui/main/Window.h web/Help.h
    plant app/main.cpp app/WindowedStart.cpp
}

failures=0
expect() {  # expect <wanted status> <description>
    local output status
    output=$("$check" "$tree" 2>&1)
    status=$?
    if ((status != $1)); then
        echo "FAIL: $2: status $status, wanted $1"; echo "$output"; failures=$((failures + 1))
    fi
}

reset_tree; expect 0 "a tree that keeps the layers"
for door in "platform/Listing.h engine/Run.h" "config/Settings.h engine/Run.h" \
            "engine/Run.h app/Startup.h" "ui/main/Window.h app/Startup.h" \
            "app/Startup.h ui/main/Window.h" "engine/Run.h i18n/forms/Scale.h" \
            "app/Startup.h app/WindowedStart.cpp" "ui/main/Window.h app/WindowedStart.cpp" \
            "web/Help.h ui/main/Window.h" "engine/Run.h web/Help.h" "app/Startup.h web/Help.h" \
            "i18n/forms/Scale.h web/Help.h"; do
    read -r file target <<<"$door"
    reset_tree
    printf '#include "%s"\n' "$target" >>"$tree/$file"
    expect 1 "$file including $target"
done
((failures == 0)) && echo "the layering check caught every planted include"
exit $((failures > 0))
