# Shared by build-machine.sh and run.sh: where the machine lives and how to
# boot it once. Sourced, not run.
# shellcheck shell=bash disable=SC2034 # the variables are for the scripts that source this

# Bump when the machine's recipe changes: a new version is a new folder, so
# an older machine is never mistaken for the current one.
VORLINDE_MACHINE_VERSION=3
VORLINDE_CACHE=${VORLINDE_EMULATED_CACHE:-/var/cache/vorlinde-emulated}
VORLINDE_MACHINE=$VORLINDE_CACHE/machine-v$VORLINDE_MACHINE_VERSION
EMULATED_QEMU_PID=

emulated_fail() {
  echo "emulated machine: $*" >&2
}

# emulated_boot DISK MACHINE_DIR SHARE RUN_DIR TIMEOUT
# RUN_DIR/ctl/cmd.sh must already hold the command. Streams the command's
# stdout and stderr, leaves the console log in RUN_DIR/console.log and
# QEMU's own messages in RUN_DIR/qemu.log.
# Returns 0 when the command's status came back (in RUN_DIR/ctl/rc),
# 124 on timeout, 1 when the machine stopped without a status.
# EMULATED_QEMU_PID holds QEMU's pid while it runs, for the caller's traps.
emulated_boot() {
  local disk=$1 machine=$2 share=$3 run=$4 timeout=$5
  local out_pid err_pid status=0
  printf '%s\n' "$share" >"$run/ctl/share-path"
  : >"$run/stdout"; : >"$run/stderr"

  # QEMU 7.2's TCG reads the stack of a user-mode iretq as the kernel, which
  # SMAP then faults: Wine's 64-bit side does such returns, so no SMAP. No
  # five-level paging either: it only makes every emulated page walk longer.
  local cpu=${VORLINDE_EMULATED_CPU:-max,-smap,-la57}
  timeout --kill-after=10 "$timeout" \
    nice -n "${VORLINDE_EMULATED_NICE:-10}" qemu-system-x86_64 \
      -accel tcg -cpu "$cpu" -smp "${VORLINDE_EMULATED_SMP:-2}" \
      -m "${VORLINDE_EMULATED_MEMORY:-4G}" \
      -nodefaults -display none -no-reboot \
      -kernel "$machine/vmlinuz" -initrd "$machine/initrd.img" \
      -append "root=/dev/vda rootfstype=ext4 rw noresume fsck.mode=skip console=ttyS0 loglevel=4 panic=-1 init=/usr/local/sbin/vorlinde-init" \
      -drive "file=$disk,if=virtio,format=qcow2,cache=unsafe,discard=unmap" \
      -virtfs "local,path=$run/ctl,mount_tag=ctl,security_model=none,id=ctl" \
      -virtfs "local,path=$share,mount_tag=work,security_model=none,id=work" \
      -serial "file:$run/console.log" \
      -device virtio-serial-pci \
      -chardev "file,id=out,path=$run/stdout" \
      -device virtserialport,chardev=out,name=vorlinde.stdout \
      -chardev "file,id=err,path=$run/stderr" \
      -device virtserialport,chardev=err,name=vorlinde.stderr \
      </dev/null >"$run/qemu.log" 2>&1 &
  EMULATED_QEMU_PID=$!
  # Stream as the guest writes; each tail ends soon after QEMU does.
  tail -n +1 -s 0.2 -f --pid="$EMULATED_QEMU_PID" "$run/stdout" &
  out_pid=$!
  tail -n +1 -s 0.2 -f --pid="$EMULATED_QEMU_PID" "$run/stderr" >&2 &
  err_pid=$!
  wait "$EMULATED_QEMU_PID" || status=$?
  EMULATED_QEMU_PID=
  wait "$out_pid" "$err_pid" 2>/dev/null || true
  if [[ -s $run/ctl/rc ]]; then return 0; fi
  if ((status == 124 || status == 137)); then return 124; fi
  return 1
}
