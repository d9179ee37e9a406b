#!/usr/bin/env bash
# One OpenSSH sshd that serves every simulated node address on port 22, each
# address chrooted to a file tree of its own, with the program's fixed login
# (svc1 / k7m2q). Runs only inside the private namespace of scripts/netns.sh:
# the tmpfs and the bind mounts over /etc/passwd, /etc/shadow and /etc/group
# exist only there and vanish with it; the host's files never change.
#
#   scripts/lan-sshd.sh ADDRESS...            print the NODES folder, serve until
#                                             stdin closes or SIGTERM/SIGINT, clean up
#   scripts/lan-sshd.sh --daemon ADDRESS...   print the NODES folder and return;
#                                             sshd keeps running
#   scripts/lan-sshd.sh --stop NODES          stop a --daemon instance
#   scripts/lan-sshd.sh --new-host-key NODES  give the instance a new host key (as a
#                                             factory-reset node has) and reload sshd
#
# NODES/<address>/ holds userdata/, userdata/logs/ (seeded with a.log, b.txt,
# log_proxy.1) and app/, owned by the login user.
set -euo pipefail

LAN_USER=svc1
LAN_PASSWORD=k7m2q
LAN_UID=4711
MNT=${QV_LAN_MOUNT:-/srv}
MARKER=.quorvane-lan

die() { echo "lan-sshd: $*" >&2; exit 3; }

[ "${QV_IN_NETNS:-}" = "1" ] || die "run inside scripts/netns.sh (QV_IN_NETNS=1 is not set)"
# The flag alone is not proof: nothing but loopback may be routable here.
if ip route show | grep -v "dev lo" | grep -q .; then
    die "a route other than loopback exists; refusing to run outside the private namespace"
fi
[ "$(id -u)" = 0 ] || die "needs root (mounts and sshd)"

stop_instance() {
    local root=$1 pid
    if [ -f "$root/sshd.pid" ]; then
        pid=$(cat "$root/sshd.pid")
        kill "$pid" 2>/dev/null || true
        # Until it has gone it holds port 22: a new instance would fail to listen while the
        # readiness check below is answered by this one, about to die with its files.
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
    fi
    rm -rf "$root"
}

if [ "${1:-}" = "--stop" ]; then
    [ $# -eq 2 ] || die "usage: $0 --stop NODES"
    root=$(dirname "$2")
    case "$root" in "$MNT"/lan.*) ;; *) die "not a lan-sshd folder: $2" ;; esac
    stop_instance "$root"
    exit 0
fi

if [ "${1:-}" = "--new-host-key" ]; then
    [ $# -eq 2 ] || die "usage: $0 --new-host-key NODES"
    root=$(dirname "$2")
    case "$root" in "$MNT"/lan.*) ;; *) die "not a lan-sshd folder: $2" ;; esac
    [ -f "$root/sshd.pid" ] || die "no sshd runs for $2"
    rm -f "$root/hostkey" "$root/hostkey.pub" "$root/hostkey-ecdsa" "$root/hostkey-ecdsa.pub"
    ssh-keygen -q -t ed25519 -N '' -f "$root/hostkey"
    ssh-keygen -q -t ecdsa -b 256 -N '' -f "$root/hostkey-ecdsa"
    # SIGHUP: sshd re-executes itself and reads its host key again.
    kill -HUP "$(cat "$root/sshd.pid")"
    first=$(ls "$2" | head -n 1)
    for _ in $(seq 100); do
        sleep 0.05
        if (exec 3<>"/dev/tcp/$first/22") 2>/dev/null; then
            exit 0
        fi
    done
    die "sshd did not come back after the new host key"
fi

daemon=0
if [ "${1:-}" = "--daemon" ]; then
    daemon=1
    shift
fi
[ $# -gt 0 ] || die "usage: $0 [--daemon] ADDRESS..."
for a in "$@"; do
    [[ $a =~ ^127\.[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3}$ ]] || die "not a 127.x node address: $a"
done
mapfile -t addresses < <(printf '%s\n' "$@" | sort -u -V)

# Two instances starting at once in one namespace would both mount and set up: one at a
# time (a lock on the mount point, taken before anything is mounted over it).
exec 9<"$MNT"
flock 9

# One tmpfs per mount namespace: ChrootDirectory wants every path component
# root-owned and not group/world writable, which rules out /tmp. A namespace made
# inside another one sees a copy of that one's mounts, the same files: the marker
# names the namespace that mounted, and any other mounts a tmpfs of its own.
ns=$(readlink /proc/self/ns/mnt)
if [ "$(cat "$MNT/$MARKER" 2>/dev/null || true)" != "$ns" ]; then
    mount -t tmpfs -o mode=755 quorvane-lan "$MNT"
    echo "$ns" >"$MNT/$MARKER"
fi

# The login user, once per namespace, in copies bind-mounted over the originals.
if [ ! -f "$MNT/etc/done" ]; then
    mkdir -p "$MNT/etc"
    cp /etc/passwd /etc/shadow /etc/group "$MNT/etc/"
    if ! grep -q "^$LAN_USER:" "$MNT/etc/passwd"; then
        hash=$(openssl passwd -6 "$LAN_PASSWORD")
        echo "$LAN_USER:x:$LAN_UID:$LAN_UID::/:/usr/sbin/nologin" >>"$MNT/etc/passwd"
        echo "$LAN_USER:$hash:19000:0:99999:7:::" >>"$MNT/etc/shadow"
        echo "$LAN_USER:x:$LAN_UID:" >>"$MNT/etc/group"
    fi
    chmod 640 "$MNT/etc/shadow"
    for f in passwd shadow group; do
        mount --bind "$MNT/etc/$f" "/etc/$f"
    done
    touch "$MNT/etc/done"
fi

# An instance whose owner died without cleaning up still holds port 22.
for old in "$MNT"/lan.*; do
    [ -d "$old" ] || continue
    owner=$(cat "$old/owner" 2>/dev/null || echo 0)
    if [ "$owner" != daemon ] && ! kill -0 "$owner" 2>/dev/null; then
        stop_instance "$old"
    fi
done

root=$(mktemp -d "$MNT/lan.XXXXXX")
chmod 755 "$root"
if [ $daemon = 1 ]; then echo daemon >"$root/owner"; else echo $$ >"$root/owner"; fi
nodes="$root/nodes"
mkdir -m 755 "$nodes" "$root/unserved"

for a in "${addresses[@]}"; do
    d="$nodes/$a"
    mkdir -m 755 "$d"
    mkdir -p "$d/userdata/logs" "$d/app"
    printf '%s node log\nline 2\n' "$a" >"$d/userdata/logs/a.log"
    printf '%s other log\n' "$a" >"$d/userdata/logs/b.txt"
    printf '%s proxy log\n' "$a" >"$d/userdata/logs/log_proxy.1"
    chown -R "$LAN_UID:$LAN_UID" "$d/userdata" "$d/app"
done

ssh-keygen -q -t ed25519 -N '' -f "$root/hostkey"
# An ECDSA key as well: the Windows build's libssh2 (mbedTLS) knows no ed25519 host key,
# and OpenSSH no longer signs with SHA-1 RSA ("ssh-rsa").
ssh-keygen -q -t ecdsa -b 256 -N '' -f "$root/hostkey-ecdsa"
mkdir -p /run/sshd
{
    echo "Port 22"
    echo "ListenAddress 0.0.0.0"
    echo "HostKey $root/hostkey"
    echo "HostKey $root/hostkey-ecdsa"
    echo "UsePAM no"
    echo "PasswordAuthentication yes"
    echo "KbdInteractiveAuthentication no"
    echo "PermitRootLogin no"
    echo "AllowUsers $LAN_USER"
    echo "PidFile $root/sshd.pid"
    # Upgrades open one connection per node at once.
    echo "MaxStartups 500"
    echo "MaxSessions 100"
    echo "Subsystem sftp internal-sftp"
    # An address that is no node gets an empty tree, never the real one.
    echo "ChrootDirectory $root/unserved"
    echo "ForceCommand internal-sftp"
    for a in "${addresses[@]}"; do
        echo "Match LocalAddress $a"
        echo "    ChrootDirectory $nodes/$a"
        echo "    ForceCommand internal-sftp"
    done
} >"$root/sshd_config"
/usr/sbin/sshd -t -f "$root/sshd_config" || { rm -rf "$root"; die "sshd refuses the configuration"; }

if [ $daemon = 1 ]; then
    /usr/sbin/sshd -f "$root/sshd_config" -E "$root/sshd.log" </dev/null >/dev/null 2>&1 9<&-
else
    /usr/sbin/sshd -D -f "$root/sshd_config" -E "$root/sshd.log" </dev/null >/dev/null 2>&1 9<&- &
    sshd_pid=$!
fi

# Ready once port 22 takes connections.
up=0
for _ in $(seq 100); do
    if (exec 3<>"/dev/tcp/${addresses[0]}/22") 2>/dev/null; then
        up=1
        break
    fi
    sleep 0.05
done
if [ $up = 0 ]; then
    cat "$root/sshd.log" >&2 || true
    stop_instance "$root"
    die "sshd did not come up"
fi

exec 9<&-
echo "$nodes"
[ $daemon = 1 ] && exit 0

cat_pid=
cleanup() {
    kill "$sshd_pid" 2>/dev/null || true
    wait "$sshd_pid" 2>/dev/null || true
    [ -n "$cat_pid" ] && kill "$cat_pid" 2>/dev/null || true
    rm -rf "$root"
}
trap 'cleanup; exit 0' TERM INT
# Serve until whoever started us closes our stdin (or sshd ends).
exec 3<&0
cat <&3 >/dev/null &
cat_pid=$!
wait -n "$cat_pid" "$sshd_pid" || true
cleanup
