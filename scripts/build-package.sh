#!/usr/bin/env bash
# Builds the Debian package build-package/tandor_<version>_<arch>.deb from the install rules
# (program, module and data only, installed under /usr) and checks it with lintian.
# Install it with: apt-get install ./build-package/tandor_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DTANDOR_BUILD_TESTS=OFF -DTANDOR_BUILD_BENCH=OFF >/dev/null
cmake --build build-package -j"$jobs" --target tandor
(cd build-package && cpack -G DEB)
deb=$(ls build-package/tandor_*.deb)
dpkg-deb --info "$deb" | sed -n '/Architecture:/,$p'
# Errors fail the build; warnings are shown.
lintian --fail-on error "$deb"
echo "Built $deb"
