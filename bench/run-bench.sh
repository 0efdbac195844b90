#!/bin/sh
# Builds the benchmark in Release mode and runs it. Any arguments go to tandor_bench, e.g.
#   bench/run-bench.sh --quick                       (CI-sized, a few minutes at most)
#   bench/run-bench.sh                               (100,000 files, the full set)
#   bench/run-bench.sh --files 1000000 --sections compare,scaling --scaling 10000,1000000
#   bench/run-bench.sh --dir /dev/shm/tandor-bench   (trees in memory: the program's own cost)
# Environment: BUILD_DIR (default build-bench beside this folder's parent), JOBS (default 2).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${BUILD_DIR:-$repo/build-bench}
jobs=${JOBS:-2}

command -v rsync >/dev/null 2>&1 || {
    echo "run-bench.sh: rsync is missing (apt-get install rsync)" >&2
    exit 2
}

cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=tandor_bench
# The end-to-end section starts the program binary; build it unless the sections leave it out.
case " $* " in
    *--sections*) case " $* " in *e2e*) targets="$targets tandor" ;; esac ;;
    *) targets="$targets tandor" ;;
esac
for t in $targets; do
    cmake --build "$build" -j"$jobs" --target "$t"
done

dir=${TMPDIR:-/tmp}
echo "free space where the trees go:"
df -h "$dir" | tail -1
exec "$build/tandor_bench" "$@"
