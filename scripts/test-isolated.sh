#!/usr/bin/env bash
# Runs every test function of every test binary on its own: a fresh process with a fresh
# temporary HOME, runtime folder and working folder each time, inside the private network
# namespace. Shows whether any test leans on files left by earlier runs, on the order of its
# functions, on the user's home or on the current folder.
#   scripts/test-isolated.sh [BUILD_DIR] [REGEX]   (defaults: build, every binary)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${QV_IN_NETNS:-}" != "1" ]; then
    exec scripts/netns.sh "$0" "$@"
fi
build=$(cd "${1:-build}" && pwd)
filter=${2:-.}

passed=0
failed=0
failures=()
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for bin in "$build"/tests/{core,gui,net}_tst_*; do
    [ -f "$bin" ] && [ -x "$bin" ] || continue
    name=${bin##*/}
    [[ $name =~ $filter ]] || continue
    functions=$(env QT_QPA_PLATFORM=offscreen "$bin" -functions 2>/dev/null | sed -n 's/^\([A-Za-z_][A-Za-z0-9_]*\)()$/\1/p' \
        | grep -v -x -E 'initTestCase|cleanupTestCase|init|cleanup' || true)
    for fn in $functions; do
        run=$(mktemp -d "$scratch/run.XXXXXX")
        mkdir -m 700 "$run/home" "$run/runtime" "$run/work"
        log=$run/log
        if (cd "$run/work" && env -i PATH="$PATH" HOME="$run/home" XDG_RUNTIME_DIR="$run/runtime" \
                TMPDIR="$run/work" QV_IN_NETNS=1 QT_QPA_PLATFORM=offscreen QTEST_FUNCTION_TIMEOUT=90000 \
                ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
                timeout 300 "$bin" "$fn") >"$log" 2>&1; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
            failures+=("$name $fn")
            echo "FAIL $name $fn"
            grep -E '^(FAIL!|   Loc:|QFATAL|QWARN)' "$log" | head -n 8 || tail -n 8 "$log"
        fi
        rm -rf "$run"
    done
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
