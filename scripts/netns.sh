#!/usr/bin/env bash
# Runs a command inside a private network and mount namespace: only the loopback
# interface exists, with a route for 255.255.255.255, so broadcasts and node
# addresses (127.x) never leave this machine. Everything started inside ends
# with the namespace.
#   scripts/netns.sh [--own] COMMAND [ARGS...]
# Inside such a namespace the command runs as it is, unless --own asks for a namespace
# of its own anyway, with a /tmp of its own (ctest starts every gui and net test binary
# so: no two share ports 22, 7788 and 7799, the SFTP servers' files, the mounts over /etc
# or local sockets).
set -euo pipefail
own=0
if [ "${1:-}" = "--own" ]; then
    own=1
    shift
fi
if [ $# -eq 0 ]; then
    echo "usage: $0 [--own] COMMAND [ARGS...]" >&2
    exit 2
fi
if [ "${QV_IN_NETNS:-}" = "1" ] && [ $own = 0 ]; then
    exec "$@"
fi
exec unshare --mount --net --propagation private -- env QV_IN_NETNS=1 QV_OWN_NETNS=$own bash -c '
    set -e
    # A test binary of its own also gets a temporary folder of its own: local sockets (the
    # single instance server) and temporary files are never shared with a test running
    # beside it. Not a mount over /tmp itself: the checkout may live there.
    if [ "$QV_OWN_NETNS" = 1 ]; then
        mkdir -p /run/quorvane-tmp
        mount -t tmpfs -o mode=1777 quorvane-tmp /run/quorvane-tmp
        export TMPDIR=/run/quorvane-tmp
    fi
    unset QV_OWN_NETNS
    ip link set lo up
    ip route add 255.255.255.255/32 dev lo
    # Refuse to go on if anything but loopback can be reached.
    if ip route show | grep -v "dev lo" | grep -q .; then
        echo "netns: unexpected route, refusing to run" >&2
        exit 3
    fi
    exec "$@"
' netns "$@"
