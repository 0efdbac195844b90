#!/usr/bin/env bash
# Installs what Tandor needs on Debian 12 (run as root): with no argument, what building and
# running the program needs; "test" adds the test tools (the test command); "package" adds the
# tools that build and check the Debian package.
set -euo pipefail
packages=(
  build-essential cmake pkg-config libsqlite3-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n libqt6svg6
  qt6-webengine-dev qt6-webchannel-dev qt6-declarative-dev
  shared-mime-info xdg-utils
)
case "${1:-}" in
  "") ;;
  test) packages+=(
    libgtest-dev libgmock-dev
    xvfb xauth imagemagick fonts-dejavu-core
    rsync attr locales desktop-file-utils appstream shared-mime-info
    openbox xdotool dbus at-spi2-core python3-gi gir1.2-atspi-2.0
  ) ;;
  package) packages+=(dpkg-dev file lintian) ;;
  *) echo "usage: $0 [test|package]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
