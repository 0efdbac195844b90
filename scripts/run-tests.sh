#!/usr/bin/env bash
# Installs what is missing (with the test tools), builds both configurations and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
scripts/build.sh
scripts/build.sh sanitize
export QT_QPA_PLATFORM=offscreen
status=0
(cd build && ctest --output-on-failure -j2 --timeout 300) || status=1
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j2 --timeout 600) || status=1
exit $status
