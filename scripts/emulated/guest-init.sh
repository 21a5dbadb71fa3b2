#!/bin/bash
# PID 1 of the emulated machine (installed as /usr/local/sbin/vorlinde-init).
# Mounts the host's control folder and shared folder, runs the one command the
# host left in ctl/cmd.sh, writes its exit status to ctl/rc and powers off.
# The serial console carries the kernel's and this script's log; two virtio
# ports carry the command's stdout and stderr, so the host keeps them apart.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export HOME=/root LANG=C.UTF-8 TERM=dumb
ctl=/run/vorlinde-ctl

log() { echo "vorlinde-init: $*" >/dev/console; }

power_off() {
  # Nothing must keep the disk busy, or the remount below leaves it dirty.
  kill -TERM -1 2>/dev/null; sleep 0.5; kill -KILL -1 2>/dev/null
  sync
  umount -l "${share:-/nonexistent}" "$ctl" 2>/dev/null
  mount -o remount,ro / 2>/dev/null
  sync
  echo o >/proc/sysrq-trigger
  sleep 10
}

mount -t proc proc /proc
mount -t sysfs sysfs /sys
mountpoint -q /dev || mount -t devtmpfs devtmpfs /dev
mount -o remount,rw /
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs -o mode=1777 tmpfs /tmp
mount -t tmpfs -o mode=755 tmpfs /run
hostname vorlinde-emulated
# Wine looks up its own host name; with lo down that fails noisily.
ip link set lo up
mkdir -p /run/user && mkdir -m 700 /run/user/0
export XDG_RUNTIME_DIR=/run/user/0

modprobe -a virtio_console 9pnet_virtio 9p || { log "cannot load the virtio modules"; power_off; }
mkdir -p "$ctl"
opts=trans=virtio,version=9p2000.L,msize=524288
mount -t 9p -o "$opts" ctl "$ctl" || { log "cannot mount the control folder"; power_off; }

# The share's path comes from a file, not the kernel command line, so that
# paths with spaces survive.
share=$(cat "$ctl/share-path")
mkdir -p "$share"
if ! mount -t 9p -o "$opts" work "$share"; then
  log "cannot mount the shared folder at $share"
  power_off
fi

# Not ttys, so nothing rewrites line ends on the way out.
for port in /sys/class/virtio-ports/*; do
  ln -sf "/dev/${port##*/}" "/run/$(cat "$port/name")"
done

export WINEPREFIX=/opt/vorlinde/wine-prefix
export VORLINDE_WINEPREFIX_TEMPLATE=/opt/vorlinde/wine-prefix
export VORLINDE_EMULATED=1

log "running the command"
bash "$ctl/cmd.sh" </dev/null >/run/vorlinde.stdout 2>/run/vorlinde.stderr
rc=$?
log "command exited with $rc"
# Written to a temporary name first: a status file that exists is complete.
echo "$rc" >"$ctl/rc.tmp" && mv "$ctl/rc.tmp" "$ctl/rc"
power_off
