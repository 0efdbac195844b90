#!/usr/bin/env bash
# Builds into build/: with "program" only the program, its browser module and its data; with
# no argument also the tests and benchmarks; with "sanitize" the non-window library and its
# tests with AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitize/.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
case "${1:-}" in
  sanitize)
    cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTANDOR_SANITIZE=ON >/dev/null
    cmake --build build-sanitize -j"$jobs" ;;
  program)
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDOR_BUILD_TESTS=OFF -DTANDOR_BUILD_BENCH=OFF >/dev/null
    cmake --build build -j"$jobs" --target tandor ;;
  "")
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDOR_BUILD_TESTS=ON -DTANDOR_BUILD_BENCH=ON >/dev/null
    cmake --build build -j"$jobs" ;;
  *) echo "usage: $0 [program|sanitize]" >&2; exit 2 ;;
esac
