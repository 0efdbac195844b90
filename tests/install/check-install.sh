#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user gets there: the layout,
# the desktop files as the desktop's own tools read them, and the installed program answering
# --version and running a profile unattended with its messages from the installed German
# language file. Run as root, the program runs as an ordinary user (root ignores file modes).
# Usage: check-install.sh <build folder> [cmake]
set -uo pipefail
build=$1
cmake=${2:-cmake}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
prefix=$work/prefix
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
id=org.tandor.Tandor
share=$prefix/share

# The layout: program, module, data, manual page and desktop files, and nothing else.
expected=(
  bin/tandor share/tandor/English.lang share/tandor/Deutsch.lang share/tandor/Tandor.ini
  share/tandor/Tandor.nav share/tandor/RestoreEn.sh share/tandor/examples/Example1.tdp
  share/tandor/Help/English/index.htm share/tandor/Help/Deutsch/index.htm share/tandor/tandor.svg
  share/tandor/icons/sync-right.svg share/man/man1/tandor.1.gz share/doc/tandor/copyright
  share/applications/$id.desktop share/mime/packages/$id.xml share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
)
for size in 16 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x$size/apps/$id.png"); done
for f in "${expected[@]}"; do [ -s "$prefix/$f" ] || fail "$f is not installed"; done
[ -x "$prefix/bin/tandor" ] || fail "bin/tandor is not executable"
modules=$(cd "$prefix" && find lib* -path '*/tandor/tandor_browser.so' 2>/dev/null)
[ -n "$modules" ] || fail "the browser module is not installed under lib*/tandor/"
strays=$(cd "$prefix" && find . -type f \( -iname '*test*' -o -iname '*bench*' -o -name '*.a' -o -name '*.h' \))
[ -z "$strays" ] || fail "installed files of tests or the build: $strays"
[ "$(ls "$prefix/bin")" = tandor ] || fail "bin holds more than the program: $(ls "$prefix/bin")"

# The desktop's tools accept the files; the profile type is known by its extension.
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >"$work/appstream.log" ||
  { cat "$work/appstream.log"; fail "appstreamcli validate"; }
update-mime-database "$share/mime" || fail "update-mime-database"
grep -q 'application/x-tandor-profile:\*\.tdp' "$share/mime/globs2" 2>/dev/null || fail "*.tdp is no profile"
grep -q "^Icon=$id$" "$share/applications/$id.desktop" || fail "the menu entry names another icon"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$share/metainfo/$id.metainfo.xml" ||
  fail "the metadata names another menu entry"

# The installed program, as an ordinary user where the test runs as root.
as_user=()
[ "$(id -u)" = 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
program() { env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" \
  "${as_user[@]}" "$prefix/bin/tandor" "$@"; }
version=$(program --version) || fail "tandor --version ended with $?"
echo "$version" | grep -q '[0-9]\.[0-9]' || fail "tandor --version printed: $version"

# Profiles run unattended in German: one that copies a file (exit status 0), and one without a
# folder pair, whose message is logged (exit status 2). A marker planted in the installed language
# file shows that the message comes from there, not from the build folder or the program's texts.
mkdir -p "$work/config/Tandor" "$work/logs" "$work/tmp" "$work/home" "$work/L/sub" "$work/R"
echo one >"$work/L/sub/a.txt"
printf '[General]\r\nLanguage=Deutsch\r\nLogToFile=1\r\nDontShowHint=1\r\n[Paths]\r\nLogfiles=%s\r\n' \
  "$work/logs" >"$work/config/Tandor/Tandor.ini"
printf '[General]\r\nLeft=L\r\nRight=R\r\nCompareSize=1\r\n[0]\r\nSO0=1\r\n[1]\r\nS=%s\r\nD=%s\r\nSu=1\r\nIS=*\r\nIF=*\r\n' \
  "$work/L" "$work/R" >"$work/copy.tdp"
printf '[General]\r\nLeft=L\r\n[0]\r\nSO0=1\r\n' >"$work/empty.tdp"
no_pair_key=892  # "The profile holds no folder pair, so nothing was compared or synchronized."
sed -i "s/^$no_pair_key=/&INSTALLED-GERMAN /" "$share/tandor/Deutsch.lang"
[ "$(id -u)" = 0 ] && chown -R 65534:65534 "$work/config" "$work/logs" "$work/tmp" "$work/home" "$work/L" "$work/R"
for case in "copy 0" "empty 2"; do
  set -- $case
  program "$work/$1.tdp" -auto -dontask -hide >"$work/run.out" 2>&1
  status=$?
  [ "$status" = "$2" ] || { cat "$work/run.out"; fail "the unattended run of $1.tdp ended with $status, not $2"; }
done
[ "$(cat "$work/R/sub/a.txt" 2>/dev/null)" = one ] || fail "the unattended run did not copy sub/a.txt"
cat "$work"/logs/*.log >"$work/log.txt" 2>/dev/null
grep -q "INSTALLED-GERMAN Das Profil" "$work/log.txt" ||
  { cat "$work/log.txt"; fail "the logged message is not the installed German one"; }

[ "$failures" = 0 ] && echo "installed layout, desktop files and program: all checks passed"
exit $((failures > 0))
