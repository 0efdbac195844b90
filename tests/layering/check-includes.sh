#!/usr/bin/env bash
# Fails when a source file includes a header of a layer it must not know.
#
# Layers, lowest first; a file may include its own layer and any lower one:
#   platform  src/platform                       the only code that talks to the system
#   text      src/config, src/i18n (not forms)   settings, profiles, text lookup
#   engine    src/engine, src/launch (not forms) compare, synchronise, log, scheduled tasks
#   startup   src/app (not Windowed*, main, ProgramEntry)   the start without windows
#   forms     src/i18n/forms                     scaling and localising a window
#   web       src/web                            browser window, page commands, update check
#   windows   src/ui, src/launch/forms
#   windowed  src/app/Windowed*                  the start with windows: joins the layers above
#   entry     src/app/main.cpp, src/app/ProgramEntry.*      chooses one of the starts
# Start-up and the window layers stand side by side: start-up drives the window through an
# interface that the windowed start supplies, and a window never reaches back into start-up.
# Web serves the windows and never calls them: the windows register their page commands and
# hand in how to tell the user something, so web includes no window header.
#
# Usage: check-includes.sh [source folder]   (default: the src folder of this repository)
set -euo pipefail

src=${1:-$(cd "$(dirname "$0")/../../src" && pwd)}
[[ -d $src ]] || { echo "no source folder: $src" >&2; exit 2; }

# Sets layer to the layer of a path relative to the source folder, or empty for one outside them
# (a variable, not output: a subshell per include line would make the check slow).
layer_of() {
    case $1 in
        app/main.cpp | app/ProgramEntry.*) layer=entry ;;
        app/Windowed*) layer=windowed ;;
        app/*) layer=startup ;;
        web/*) layer=web ;;
        i18n/forms/*) layer=forms ;;
        ui/* | launch/forms/*) layer=windows ;;
        engine/* | launch/*) layer=engine ;;
        config/* | i18n/*) layer=text ;;
        platform/*) layer=platform ;;
        *) layer= ;;
    esac
}

# The layers each layer may include besides its own.
declare -A may_include=(
    [platform]=""
    [text]="platform"
    [engine]="platform text"
    [startup]="platform text engine"
    [forms]="platform text engine"
    [web]="platform text engine forms"
    [windows]="platform text engine forms web"
    [windowed]="platform text engine startup forms web windows"
    [entry]="platform text engine startup forms web windows windowed"
)

violations=0
files=0
while IFS= read -r -d '' file; do
    rel=${file#"$src"/}
    layer_of "$rel"
    from=$layer
    [[ -n $from ]] || continue
    files=$((files + 1))
    lineno=0
    while IFS= read -r line; do
        lineno=$((lineno + 1))
        [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
        target=${BASH_REMATCH[1]}
        # Generated form headers and system headers are not ours to place.
        [[ -f $src/$target ]] || continue
        layer_of "$target"
        to=$layer
        [[ -n $to && $to != "$from" ]] || continue
        if [[ " ${may_include[$from]} " != *" $to "* ]]; then
            echo "$rel:$lineno: $from layer includes $to layer: $target"
            violations=$((violations + 1))
        fi
    done <"$file"
done < <(find "$src" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

if ((files == 0)); then
    echo "no source files found beneath $src" >&2
    exit 2
fi
if ((violations > 0)); then
    echo "$violations include(s) against the layering in $files files" >&2
    exit 1
fi
echo "layering kept in $files files"
