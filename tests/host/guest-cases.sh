#!/bin/sh
# The host test's cases, run in the QEMU guest by its init as root (see
# scripts/host-test). Each case is a shell function that returns 0 when it
# holds and otherwise prints why; run_case prints one PASS or FAIL line.
# Inputs and expected outputs are in /cases (tests/host/prepare-cases.sh).

gadgets=/sys/kernel/config/usb_gadget

run_case() {
  name=$1
  shift
  if why=$("$@" 2>&1); then
    echo "PASS $name"
  else
    echo "FAIL $name: $(echo "$why" | head -n 20)"
  fi
}

# A fresh copy of the bench's working folder.
fresh_work() {
  rm -rf /tmp/work && cp -r /cases/work /tmp/work && chmod -R a+rwX /tmp/work
}

# Waits up to 10 s for SCSI generic node $1 with a disk behind it.
wait_for_unit() {
  for _ in $(seq 50); do
    if [ -e "/dev/$1" ] && ls "/sys/class/scsi_generic/$1/device/block/" >/dev/null 2>&1; then return 0; fi
    sleep 0.2
  done
  echo "no /dev/$1 with a disk after 10 s"
  return 1
}

# The kernel's own mass-storage function as gadget $1 on UDC $2: a plain
# 1 MiB disk.
make_plain_gadget() {
  g=$gadgets/$1
  mkdir "$g" "$g/strings/0x409" "$g/configs/c.1" "$g/functions/mass_storage.0"
  echo 0x1d6b >"$g/idVendor"
  echo 0x0104 >"$g/idProduct"
  echo "Maker" >"$g/strings/0x409/manufacturer"
  echo "Plain Disk" >"$g/strings/0x409/product"
  echo "0001" >"$g/strings/0x409/serialnumber"
  dd if=/dev/zero of="/tmp/$1.img" bs=1024 count=1024 2>/dev/null
  echo "/tmp/$1.img" >"$g/functions/mass_storage.0/lun.0/file"
  ln -s "$g/functions/mass_storage.0" "$g/configs/c.1/"
  echo "$2" >"$g/UDC"
}

remove_plain_gadget() {
  g=$gadgets/$1
  echo "" >"$g/UDC"
  rm "$g/configs/c.1/mass_storage.0"
  rmdir "$g/configs/c.1" "$g/functions/mass_storage.0" "$g/strings/0x409" "$g"
}

# --- the cases ---------------------------------------------------------------

cli_runs() {
  updater-cli --help >/tmp/help.txt || { echo "updater-cli --help failed"; return 1; }
  grep -q -- "--host" /tmp/help.txt || { echo "no --host in the help"; return 1; }
}

# sysfs shows the gadget as a USB mass-storage interface, and the program
# scans it over SG_IO: a plain disk is no reader, exactly as on a simulated
# host with a plain disk.
plain_disk_is_no_reader() {
  wait_for_unit sg0 || return 1
  interface=$(readlink -f /sys/class/scsi_generic/sg0/device/../../..)
  [ "$(cat "$interface/bInterfaceClass")" = "08" ] || { echo "no mass-storage interface above sg0"; return 1; }
  [ "$(cat "$interface/../idVendor")" = "1d6b" ] || { echo "the USB device is not the gadget"; return 1; }
  fresh_work
  updater-cli --host --workdir /tmp/work getinfo >/tmp/plain.txt 2>&1 || { cat /tmp/plain.txt; return 1; }
  diff /cases/plain-disk.expected /tmp/plain.txt
}

# A node the operator may not open: one line naming it and what gives
# access, status 2, nothing sent.
node_without_permission() {
  chgrp disk /dev/sg0 && chmod 660 /dev/sg0
  fresh_work
  status=0
  su -s /bin/sh operator -c 'updater-cli --host --workdir /tmp/work getinfo ispena isp' \
    >/tmp/denied.out 2>/tmp/denied.err || status=$?
  [ "$status" = 2 ] || { echo "status $status"; cat /tmp/denied.err; return 1; }
  [ ! -s /tmp/denied.out ] || { echo "standard output is not empty"; return 1; }
  echo 'updater-cli: cannot open /dev/sg0: Permission denied (run as root, or as a member of group "disk")' \
    >/tmp/denied.expected
  diff /tmp/denied.expected /tmp/denied.err && cmp /cases/work/SERIAL.TXT /tmp/work/SERIAL.TXT
}

run_case cli_runs cli_runs
make_plain_gadget plain dummy_udc.0
run_case plain_disk_is_no_reader plain_disk_is_no_reader
run_case node_without_permission node_without_permission
remove_plain_gadget plain

# The virtual reader's cases, when it was built. Their serial numbers are
# those of the machine file's date.
if command -v virtual-reader >/dev/null; then
  date -s "2008-05-20 09:00:00" >/dev/null
  . /cases/virtual-reader-cases.sh
fi
