#!/usr/bin/env bash
# Runs a command inside a private network and mount namespace: only the loopback
# interface exists, with a route for 255.255.255.255, so broadcasts and node
# addresses (127.x) never leave this machine. Everything started inside ends
# with the namespace.
#   scripts/netns.sh COMMAND [ARGS...]
set -euo pipefail
if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi
if [ "${QV_IN_NETNS:-}" = "1" ]; then
    exec "$@"
fi
exec unshare --mount --net --propagation private -- env QV_IN_NETNS=1 bash -c '
    set -e
    ip link set lo up
    ip route add 255.255.255.255/32 dev lo
    # Refuse to go on if anything but loopback can be reached.
    if ip route show | grep -v "dev lo" | grep -q .; then
        echo "netns: unexpected route, refusing to run" >&2
        exit 3
    fi
    exec "$@"
' netns "$@"
