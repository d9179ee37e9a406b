#!/usr/bin/env bash
# Builds the benchmarks and runs each of them inside the private network namespace.
#   scripts/bench.sh [NAME...]     (default: every bench/<name>)
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_BENCH=ON >/dev/null
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for d in bench/*/; do
        names+=("$(basename "$d")")
    done
fi
targets=()
for n in "${names[@]}"; do
    targets+=("quorvane-bench-$n")
done
cmake --build build -j"$(nproc)" --target "${targets[@]}"

status=0
for n in "${names[@]}"; do
    echo "== bench $n =="
    scripts/netns.sh "build/bench/quorvane-bench-$n" || status=1
done
exit $status
