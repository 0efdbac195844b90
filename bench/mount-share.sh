#!/bin/sh
# Mounts a local folder as a network share (sshfs over ssh to this machine) for the share
# section of tandor_bench, on machines whose kernel has no NFS or CIFS client but has FUSE.
# Run as root. Idempotent: a second mount of the same folder, or an unmount of a folder that is
# not mounted, does nothing.
#   bench/mount-share.sh FOLDER MOUNTPOINT     serve FOLDER over sftp and mount it at MOUNTPOINT
#   bench/mount-share.sh --unmount MOUNTPOINT  undo the mount (the ssh server keeps running)
# Environment: SHARE_SSHFS_OPTIONS, extra sshfs options appended to the ones below (e.g.
# "dir_cache=no" to send every look-up over the connection).
#
# What it sets up, for the benchmark only (nothing of it is a dependency of the program):
# the packages openssh-server and sshfs when missing; an ssh server on 127.0.0.1 when none
# runs; a key of its own for root (/root/.ssh/tandor_bench_ed25519), authorised for logins from
# this machine only.
set -eu

usage() {
    echo "usage: $0 FOLDER MOUNTPOINT | $0 --unmount MOUNTPOINT" >&2
    exit 2
}

[ "$(id -u)" -eq 0 ] || { echo "$0: run as root" >&2; exit 2; }

if [ "${1:-}" = "--unmount" ]; then
    [ $# -eq 2 ] || usage
    if mountpoint -q "$2"; then
        fusermount3 -u "$2" 2>/dev/null || umount "$2"
        echo "unmounted $2"
    else
        echo "$2 is not mounted"
    fi
    exit 0
fi
[ $# -eq 2 ] || usage
folder=$(realpath -m "$1")
mnt=$(realpath -m "$2")
case "$mnt/" in "$folder"/*) echo "$0: the mount point must not lie inside the shared folder" >&2; exit 2 ;; esac

# Packages (apt-get update is left to the caller).
if ! command -v sshfs >/dev/null 2>&1 || [ ! -x /usr/sbin/sshd ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends openssh-server sshfs
fi

# An ssh server answering on this machine.
if ! pgrep -x sshd >/dev/null 2>&1; then
    mkdir -p /run/sshd
    ssh-keygen -A >/dev/null
    /usr/sbin/sshd -o ListenAddress=127.0.0.1
    echo "started sshd on 127.0.0.1"
fi

# A key of the benchmark's own, accepted only from this machine.
key=/root/.ssh/tandor_bench_ed25519
mkdir -p /root/.ssh
chmod 700 /root/.ssh
[ -f "$key" ] || ssh-keygen -q -t ed25519 -N '' -C tandor-bench -f "$key"
entry="from=\"127.0.0.1,::1\" $(cat "$key.pub")"
touch /root/.ssh/authorized_keys
chmod 600 /root/.ssh/authorized_keys
grep -qxF "$entry" /root/.ssh/authorized_keys || echo "$entry" >>/root/.ssh/authorized_keys

source="root@127.0.0.1:$folder"
if mountpoint -q "$mnt"; then
    current=$(findmnt -n -o SOURCE --target "$mnt" || true)
    if [ "$current" = "$source" ]; then
        echo "$folder is already mounted at $mnt"
        exit 0
    fi
    echo "$0: $mnt is already a mount point of $current" >&2
    exit 1
fi
mkdir -p "$folder" "$mnt"

# Options, see bench/README.md: the sshfs defaults for the caches (the listing's own replies
# fill the attribute cache; nothing outlives dcache_timeout), no compression (a local link), a
# reconnect when the connection drops, and a non-interactive login with the key above.
options="IdentityFile=$key,BatchMode=yes,StrictHostKeyChecking=accept-new"
options="$options,UserKnownHostsFile=/root/.ssh/tandor_bench_known_hosts"
options="$options,reconnect,ServerAliveInterval=15,Compression=no"
options="$options,dir_cache=yes,dcache_timeout=20,attr_timeout=1,entry_timeout=1"
[ -z "${SHARE_SSHFS_OPTIONS:-}" ] || options="$options,$SHARE_SSHFS_OPTIONS"
sshfs "$source" "$mnt" -o "$options"
echo "mounted $source at $mnt (-o $options)"
