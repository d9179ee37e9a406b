#!/usr/bin/env bash
# Runs COMMAND in a network namespace of its own, joined to the current one by a veth
# pair: HOST_IF here with HOST_ADDR/24, its peer there with the node addresses (/24 each).
# Gives the tests a second network card to scan on. Only inside the private namespace of
# scripts/netns.sh and only on the documentation ranges 192.0.2.0/24, 198.51.100.0/24 and
# 203.0.113.0/24.
# The namespace and the pair go when COMMAND ends; stdin and stdout are COMMAND's.
#   scripts/child-lan.sh HOST_IF HOST_ADDR NODE_ADDR[,NODE_ADDR...] -- COMMAND [ARGS...]
set -euo pipefail
if [ "${QV_IN_NETNS:-}" != "1" ]; then
    echo "child-lan: only inside scripts/netns.sh" >&2
    exit 3
fi
if [ $# -lt 5 ] || [ "$4" != "--" ] || [ ${#1} -gt 14 ]; then
    echo "usage: $0 HOST_IF HOST_ADDR NODE_ADDR[,NODE_ADDR...] -- COMMAND [ARGS...]" >&2
    exit 2
fi
host_if=$1
host_addr=$2
node_addrs=$3
shift 4
for a in $host_addr ${node_addrs//,/ }; do
    case $a in
        192.0.2.*|198.51.100.*|203.0.113.*) ;;
        *) echo "child-lan: $a is not on a documentation range" >&2; exit 2 ;;
    esac
done
peer=${host_if}p

# A pair left by a run that was killed goes first.
ip link del "$host_if" 2>/dev/null || true
ip link add "$host_if" type veth peer name "$peer"
ip addr add "$host_addr/24" dev "$host_if"
ip link set "$host_if" up

# The child waits for its end of the pair, sets it up and becomes COMMAND.
unshare --net -- bash -c '
    set -e
    peer=$1; addrs=$2; shift 2
    for _ in $(seq 100); do
        ip link show "$peer" >/dev/null 2>&1 && break
        sleep 0.05
    done
    ip link set lo up
    for a in ${addrs//,/ }; do
        ip addr add "$a/24" dev "$peer"
    done
    ip link set "$peer" up
    exec "$@"
' child-lan "$peer" "$node_addrs" "$@" <&0 &
child=$!
# The pid exists before unshare has made the namespace: wait until it has its own.
own=$(readlink /proc/self/ns/net)
for _ in $(seq 100); do
    [ "$(readlink "/proc/$child/ns/net" 2>/dev/null || echo "$own")" != "$own" ] && break
    sleep 0.05
done
if ! ip link set "$peer" netns "$child"; then
    kill -TERM "$child" 2>/dev/null || true
    ip link del "$host_if" 2>/dev/null || true
    exit 3
fi
trap 'kill -TERM "$child" 2>/dev/null || true' TERM INT HUP
status=0
wait "$child" || status=$?
# A trapped signal ends the wait early: wait again for the child's own end.
while kill -0 "$child" 2>/dev/null; do
    status=0
    wait "$child" || status=$?
done
exit "$status"
