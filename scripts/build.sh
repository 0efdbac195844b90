#!/usr/bin/env bash
# Builds the program into build/ (and, with "sanitize", the non-window library and its tests
# with AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitize/).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
if [ "${1:-}" = sanitize ]; then
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTANDOR_SANITIZE=ON >/dev/null
  cmake --build build-sanitize -j"$jobs"
else
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$jobs"
fi
