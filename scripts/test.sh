#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite twice (a normal build,
# then AddressSanitizer + UndefinedBehaviorSanitizer), always inside the private
# network namespace.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

jobs=$(nproc)

echo "== normal build =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
scripts/netns.sh ctest --test-dir build --output-on-failure -j"$jobs"

echo "== sanitizer build =="
CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
scripts/netns.sh ctest --test-dir build-asan --output-on-failure -j"$jobs"
