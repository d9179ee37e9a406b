#!/usr/bin/env bash
# Shows Quorvane against a simulated LAN of about twenty nodes, all inside the private
# network namespace (scripts/netns.sh): nothing reaches a real network.
#
#   scripts/demo.sh                    with $DISPLAY: the window on your display;
#                                      without: runs under Xvfb, saves a screenshot, exits
#   scripts/demo.sh --screenshot-only  always Xvfb: screenshot after the first scan, then exit
#   scripts/demo.sh --keep             without a display: keep running under Xvfb after the
#                                      screenshot until Ctrl-C
#   scripts/demo.sh --english          start in English (default: Chinese)
#   scripts/demo.sh --cli ARGS...      run quorvane-cli ARGS against the same LAN instead of
#                                      the window, e.g. --cli scan --json
#   scripts/demo.sh --features         with --screenshot-only: also screenshots of the node list's
#                                      search, sort, refresh, more menu and history, in both
#                                      languages (build/demo/features/)
#
# The demo keeps its own configuration under build/demo/home, so the interface starts in the
# language chosen here and your own settings stay as they are.
# The LAN: decoders and encoders of several versions and display modes, a proxy node at
# 127.0.1.1 that every node reports as its manager, two nodes sharing an IP address
# (127.0.1.7) and two sharing a MAC address (127.0.1.30 and 127.0.1.31).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build"

screenshot_only=0
keep=0
inside=0
features=0
lang=zh_CN.UTF-8
cli=0
cli_args=()
args=("$@")
for i in "${!args[@]}"; do
    arg=${args[$i]}
    case "$arg" in
        --cli) cli=1; cli_args=("${args[@]:$((i + 1))}"); break ;;
        --screenshot-only) screenshot_only=1 ;;
        --keep) keep=1 ;;
        --english) lang=en_US.UTF-8 ;;
        --features) features=1; screenshot_only=1 ;;
        --inside-netns) inside=1 ;;
        -h|--help) sed -n '2,24p' "$0"; exit 0 ;;
        *) echo "demo: unknown option $arg" >&2; exit 2 ;;
    esac
done

if [ "$inside" -eq 0 ]; then
    # Set-up talk goes to stderr: with --cli, stdout is the command line's alone.
    scripts/install-deps.sh >&2
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    targets=(quorvane quorvane-cli quorvane-nodesim)
    [ "$features" -eq 1 ] && targets+=(quorvane-demoshots)
    cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >&2
    exec scripts/netns.sh "$root/scripts/demo.sh" --inside-netns "$@"
fi

# ---- from here on inside the private namespace ----
if [ "${QV_IN_NETNS:-}" != "1" ]; then
    echo "demo: refusing to run outside scripts/netns.sh" >&2
    exit 3
fi

work="$build/demo"
mkdir -p "$work"
rm -rf "$work/record.jsonl" "$work/sim.out" "$work/home"
mkdir -p "$work/home"
# A fresh configuration: the first start takes its language from the system locale.
export HOME="$work/home" LANG="$lang" LC_CTYPE=C.UTF-8
unset LC_ALL LC_MESSAGES
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# For the feature screenshots a restarted node stays silent, so a refresh shows it gone.
sim_extra=()
[ "$features" -eq 1 ] && sim_extra=(--reboot-ms 60000)
"$build/tools/nodesim/quorvane-nodesim" --no-stdin "${sim_extra[@]}" \
    --base 127.0.1.2 --decoders 10 --encoders 8 --seed 3 --manager 127.0.1.1 \
    --node "decoder@127.0.1.1,name=代理节点" \
    --node "encoder@127.0.1.7,name=重复地址-编码" \
    --node "encoder@127.0.1.30,macAddr=3C:6A:2C:AA:BB:01,name=重复MAC-A" \
    --node "decoder@127.0.1.31,macAddr=3C:6A:2C:AA:BB:01,name=重复MAC-B" \
    --record "$work/record.jsonl" >"$work/sim.out" 2>"$work/sim.log" &
pids+=($!)
for _ in $(seq 100); do
    grep -q '^ready$' "$work/sim.out" 2>/dev/null && break
    sleep 0.1
done
if ! grep -q '^ready$' "$work/sim.out"; then
    echo "demo: the node simulator did not start:" >&2
    cat "$work/sim.log" >&2
    exit 1
fi
echo "demo: simulated LAN ready (log: $work/sim.log)" >&2

if [ "$cli" -eq 1 ]; then
    set +e
    "$build/quorvane-cli" "${cli_args[@]}"
    exit $?
fi

headless=1
if [ -n "${DISPLAY:-}" ] && [ "$screenshot_only" -eq 0 ]; then
    headless=0
fi

if [ "$headless" -eq 0 ]; then
    case "$DISPLAY" in
        :*) ;;
        *) echo "demo: DISPLAY=$DISPLAY is a network display, which the private namespace cannot reach;" \
                "use a local display or --screenshot-only" >&2
           exit 1 ;;
    esac
    echo "demo: starting Quorvane on $DISPLAY; close its window to end the demo"
    env -u QT_QPA_PLATFORM "$build/quorvane"
    exit $?
fi

# A display number of our own.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1400x800x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done
export DISPLAY=":$display"
unset QT_QPA_PLATFORM

"$build/quorvane" >"$work/quorvane.log" 2>&1 &
app=$!
pids+=("$app")

# The first scan is the broadcast 1006 the simulator records; then the busy indicator
# (0.3 s) and the fade-in (1 s) pass.
for _ in $(seq 150); do
    grep -q '"cmd": *1006' "$work/record.jsonl" 2>/dev/null && break
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
if ! grep -q '"cmd": *1006' "$work/record.jsonl" 2>/dev/null; then
    echo "demo: Quorvane did not scan; its log:" >&2
    cat "$work/quorvane.log" >&2
    exit 1
fi
sleep 2.5
shot="$work/quorvane-demo.png"
import -display ":$display" -window root "$shot"
echo "demo: screenshot of the main window after the first scan: $shot"

if [ "$features" -eq 1 ]; then
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    mkdir -p "$work/features"
    # Each language restarts a node of its own: the first one stays silent for a minute.
    for run in "CN 127.0.1.16 127.0.1.13" "EN 127.0.1.13 127.0.1.18"; do
        read -r code restart check <<<"$run"
        "$build/tools/demoshots/quorvane-demoshots" "$code" "$work/features" "$restart" "$check" \
            >>"$work/features/demoshots.log" 2>&1 \
            || { echo "demo: feature screenshots failed ($code):" >&2; cat "$work/features/demoshots.log" >&2; exit 1; }
    done
    echo "demo: feature screenshots in $work/features"
fi

if [ "$keep" -eq 1 ] && [ "$screenshot_only" -eq 0 ]; then
    echo "demo: Quorvane keeps running on the virtual display :$display; Ctrl-C ends it"
    wait "$app" || true
fi
