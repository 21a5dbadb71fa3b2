#!/usr/bin/env bash
# Builds the emulated x86-64 machine that runs the real 32-bit programs under
# Wine's WoW64 mode: Debian 13 with its kernel, amd64 Wine 10 and the i386 PE
# DLLs, plus a Wine prefix made once on the machine's own disk. Everything
# comes from the Debian mirror; the result is cached outside the checkout and
# built once per machine: a later call finds it and returns at once.
# Usage: build-machine.sh        (VORLINDE_EMULATED_CACHE overrides the cache)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"

mirror=http://deb.debian.org/debian
[[ -f $VORLINDE_MACHINE/ready ]] && exit 0

say() { echo "build-machine: $*" >&2; }
die() { emulated_fail "$*"; exit 1; }
step_start=$SECONDS
step() { say "$* (at $((SECONDS - step_start)) s)"; }

install_host_needs() {
  local missing=()
  command -v qemu-system-x86_64 >/dev/null || missing+=(qemu-system-x86)
  command -v qemu-img >/dev/null || missing+=(qemu-utils)
  command -v debootstrap >/dev/null || missing+=(debootstrap)
  command -v mkfs.ext4 >/dev/null || missing+=(e2fsprogs)
  command -v flock >/dev/null || missing+=(util-linux)
  ((${#missing[@]})) || return 0
  step "installing ${missing[*]}"
  # An index that fails mid-sync is fine as long as the installs succeed.
  local try
  for try in 1 2 3; do
    apt-get update -q >&2 && break
    say "apt-get update failed (try $try)"; sleep 5
  done
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" >&2 || die "could not install ${missing[*]} on the host."
}

install_host_needs
mkdir -p "$VORLINDE_CACHE"
exec 9>"$VORLINDE_CACHE/build.lock"
flock 9
# Another call may have finished it while this one waited for the lock.
[[ -f $VORLINDE_MACHINE/ready ]] && exit 0

tmp=$(mktemp -d "$VORLINDE_CACHE/build.XXXXXX")
root=$tmp/root
cleanup() {
  local status=$?
  if [[ -n $EMULATED_QEMU_PID ]]; then kill "$EMULATED_QEMU_PID" 2>/dev/null || true; fi
  umount -l "$root/proc" 2>/dev/null || true
  if mountpoint -q "$root/proc" 2>/dev/null; then
    say "left $tmp behind: $root/proc is still mounted"
  else
    rm -rf "$tmp"
  fi
  ((status == 0)) || emulated_fail "building the machine failed or was interrupted; see the messages above."
}
trap cleanup EXIT
trap 'exit 130' INT TERM

in_root() { DEBIAN_FRONTEND=noninteractive nice -n 10 chroot "$root" "$@"; }

step "bootstrapping Debian 13 into $root"
nice -n 10 debootstrap --variant=minbase --arch=amd64 trixie "$root" "$mirror" \
  >"$tmp/debootstrap.log" 2>&1 || { tail -n 20 "$tmp/debootstrap.log" >&2; die "debootstrap failed."; }
mount -t proc proc "$root/proc"
# Nothing may start services inside the tree.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
# No udev in the machine, so the initramfs loads the disk and share drivers.
mkdir -p "$root/etc/initramfs-tools"
printf '%s\n' virtio_pci virtio_blk ext4 virtio_console 9pnet_virtio 9p \
  >>"$root/etc/initramfs-tools/modules"

step "installing the kernel, Wine, Python and what the Windows cases call"
in_root apt-get update -q >&2
# cmake for ctest and cpack, msitools and wixl for the package's cases,
# locales for the code-page cases' private locales.
in_root apt-get install -y -q --no-install-recommends \
  linux-image-amd64 zstd wine wine64 libwine python3 kmod procps iproute2 \
  cmake msitools wixl locales \
  >"$tmp/apt.log" 2>&1 || { tail -n 20 "$tmp/apt.log" >&2; die "installing packages into the machine failed."; }

step "adding the i386 PE DLLs from libwine:i386"
in_root dpkg --add-architecture i386
in_root apt-get update -q >&2
in_root sh -c 'cd /tmp && apt-get download -q libwine:i386' >&2 \
  || die "downloading libwine:i386 failed."
in_root dpkg --remove-architecture i386
mkdir -p "$tmp/i386"
dpkg-deb -x "$root"/tmp/libwine_*_i386.deb "$tmp/i386"
wine_lib=$root/usr/lib/x86_64-linux-gnu/wine
[[ -d $wine_lib/x86_64-windows ]] || die "the machine's Wine is not where expected ($wine_lib)."
cp -an "$tmp/i386/usr/lib/i386-linux-gnu/wine/i386-windows/." "$wine_lib/i386-windows/"
rm -rf "$tmp/i386" "$root"/tmp/*.deb

# Debian's wine wrapper looks for a 32-bit loader and, missing it, prints a
# hint on every run; the 64-bit loader runs 32-bit programs itself.
cat >"$root/usr/local/bin/wine" <<'WRAPPER'
#!/bin/sh
export WINELOADER=/usr/lib/wine/wine64
: "${WINEDEBUG=fixme-all}"
export WINEDEBUG
exec /usr/lib/wine/wine64 "$@"
WRAPPER
chmod +x "$root/usr/local/bin/wine"
install -m 755 "$here/guest-init.sh" "$root/usr/local/sbin/vorlinde-init"
echo vorlinde-emulated >"$root/etc/hostname"
printf '127.0.0.1 localhost\n127.0.1.1 vorlinde-emulated\n::1 localhost\n' >"$root/etc/hosts"

in_root apt-get clean
rm -rf "$root/var/lib/apt/lists"/* "$root/usr/sbin/policy-rc.d"
umount "$root/proc"

step "making the disk image"
machine=$tmp/machine
mkdir -p "$machine"
cp "$root"/boot/vmlinuz-* "$machine/vmlinuz"
cp "$root"/boot/initrd.img-* "$machine/initrd.img"
{
  echo "kernel: $(basename "$root"/boot/vmlinuz-*)"
  # shellcheck disable=SC2016 # dpkg-query's own format, not the shell's
  echo "wine: $(chroot "$root" dpkg-query -W -f '${Version}' libwine)"
  echo "built: $(date -u +%Y-%m-%dT%H:%M:%SZ)"
} >"$machine/info.txt"
nice -n 10 mkfs.ext4 -q -L vorlinde -d "$root" "$tmp/disk.raw" 8G
rm -rf "$root"
nice -n 10 qemu-img convert -O qcow2 "$tmp/disk.raw" "$machine/disk.qcow2"
rm -f "$tmp/disk.raw"

step "first boot: making the Wine prefix on the machine's disk"
mkdir -p "$tmp/run/ctl"
cat >"$tmp/run/ctl/cmd.sh" <<'SETUP'
set -euo pipefail
# No Mono or Gecko installer: nothing here could answer its prompt.
export WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe='

mkdir -p "$(dirname "$WINEPREFIX")"
wine wineboot --init
wineserver -w
# There is no display: the null driver lets programs make (invisible)
# windows instead of every process failing to start the desktop.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
wineserver -w
count=$(find "$WINEPREFIX/drive_c/windows/syswow64" -maxdepth 1 -type f | wc -l)
echo "syswow64 holds $count files"
[ "$count" -gt 200 ]
arch=$(wine 'C:\windows\syswow64\cmd.exe' /c 'echo %PROCESSOR_ARCHITECTURE%' | tr -d '\r')
echo "a 32-bit program says its architecture is: $arch"
[ "$arch" = x86 ]
wineserver -w
SETUP
status=0
emulated_boot "$machine/disk.qcow2" "$machine" "$tmp/run/ctl" "$tmp/run" \
  "${VORLINDE_EMULATED_BUILD_TIMEOUT:-2400}" >&2 || status=$?
cp "$tmp/run/console.log" "$VORLINDE_CACHE/build-console.log" 2>/dev/null || true
case $status in
  0) ;;
  124) die "the first boot timed out; console log: $VORLINDE_CACHE/build-console.log" ;;
  *) die "the first boot stopped without a result; console log: $VORLINDE_CACHE/build-console.log" ;;
esac
rc=$(cat "$tmp/run/ctl/rc")
[[ $rc == 0 ]] || die "making the Wine prefix inside the machine failed (status $rc)."

touch "$machine/ready"
mv "$machine" "$VORLINDE_MACHINE"
step "done: $VORLINDE_MACHINE"
