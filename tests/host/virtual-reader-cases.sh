#!/bin/sh
# The virtual reader's cases in the host test's guest, sourced by the guest's
# case script after its own (it gives run_case, wait_for_unit and
# fresh_work). virtual-reader plays reader 1 of /cases/reader.json on
# dummy_hcd; the guest's usb-storage drives it, and updater-cli --host must
# see what it sees on the simulated machine of the same file
# (tests/host/prepare-cases.sh makes the expected transcript and flash).

# Starts a virtual reader as gadget $1 with options "$2"... and waits up to
# 10 s for its "ready" line. Its output is /tmp/$1.out and /tmp/$1.err.
start_virtual_reader() {
  gadget=$1
  shift
  virtual-reader --gadget "$gadget" "$@" >"/tmp/$gadget.out" 2>"/tmp/$gadget.err" &
  echo $! >"/tmp/$gadget.pid"
  for _ in $(seq 50); do
    grep -q '^virtual-reader: ready$' "/tmp/$gadget.out" 2>/dev/null && return 0
    kill -0 "$(cat "/tmp/$gadget.pid")" 2>/dev/null || break
    sleep 0.2
  done
  echo "virtual-reader $gadget did not get ready:"
  cat "/tmp/$gadget.out" "/tmp/$gadget.err"
  return 1
}

# SIGTERM to gadget $1's reader (vreader by default), then up to 10 s for it
# to stop. The cases run in subshells, where the reader is no child to wait
# for.
stop_virtual_reader() {
  pid=$(cat "/tmp/${1:-vreader}.pid")
  kill -TERM "$pid" 2>/dev/null
  for _ in $(seq 50); do
    # Until the guest's script reaps it, a reader that has ended is a zombie.
    [ -e "/proc/$pid" ] || return 0
    grep -q '^State:[[:space:]]*Z' "/proc/$pid/status" && return 0
    sleep 0.2
  done
  echo "virtual-reader ${1:-vreader} still runs 10 s after SIGTERM"
  return 1
}

# What the reader and the kernel said, for a failed case: on the guest's
# console, beyond the case's own lines.
show_reader_log() {
  {
    echo "--- virtual-reader, standard output:"
    cat /tmp/vreader.out
    echo "--- virtual-reader, standard error (last 60 lines):"
    tail -n 60 /tmp/vreader.err
    echo "--- its threads:"
    grep -H '^State' /proc/"$(cat /tmp/vreader.pid)"/task/*/status 2>/dev/null
    echo "--- updater-cli:"
    head -n 40 /tmp/reader-isp.txt 2>/dev/null
    echo "--- kernel:"
    dmesg | tail -n 30
  } >/dev/console 2>&1
}

# The kernel sees a USB mass-storage device whose INQUIRY is the machine
# file's, and reads its medium (READ(10)): zeros.
virtual_reader_is_a_disk() {
  wait_for_unit sg0 || { show_reader_log; return 1; }
  # sysfs keeps the blanks that pad the INQUIRY fields.
  vendor=$(sed 's/ *$//' /sys/class/scsi_generic/sg0/device/vendor)
  model=$(sed 's/ *$//' /sys/class/scsi_generic/sg0/device/model)
  [ "$vendor" = "Generic" ] || { echo "vendor '$vendor'"; return 1; }
  [ "$model" = "USB Card Reader" ] || { echo "model '$model'"; return 1; }
  usb=$(readlink -f /sys/class/scsi_generic/sg0/device/../../../..)
  [ "$(cat "$usb/idVendor"):$(cat "$usb/idProduct")" = "1234:5678" ] || { echo "ids of $usb"; return 1; }
  block=$(ls /sys/class/scsi_generic/sg0/device/block/)
  dd if="/dev/$block" bs=512 count=1 2>/dev/null >/tmp/first-block.bin
  dd if=/dev/zero bs=512 count=1 2>/dev/null >/tmp/zero-block.bin
  cmp /tmp/first-block.bin /tmp/zero-block.bin
}

# The whole ISP run over SG_IO: the transcript equals the simulated run's,
# and the flash the reader writes when it stops equals the simulated one.
virtual_reader_isp() {
  fresh_work
  updater-cli --host --record /tmp/reader-isp.record.json --workdir /tmp/work getinfo ispena isp verify \
    >/tmp/reader-isp.txt 2>&1
  stop_virtual_reader || { show_reader_log; return 1; }
  diff /cases/reader-isp.expected /tmp/reader-isp.txt || { show_reader_log; return 1; }
  cmp /cases/reader-isp.flash /tmp/vreader-flash.bin
}

# The session recorded on the real bus replays on the simulated machine:
# the same transcript, without the reader.
host_recording_replays() {
  fresh_work
  updater-cli --machine /tmp/reader-isp.record.json --workdir /tmp/work getinfo ispena isp verify \
    >/tmp/reader-isp.replay.txt 2>&1 || { cat /tmp/reader-isp.replay.txt | head -n 20; return 1; }
  diff /tmp/reader-isp.txt /tmp/reader-isp.replay.txt
}

# Everything the reader made in configfs is gone after it stopped.
virtual_reader_cleans_up() {
  [ ! -e /sys/kernel/config/usb_gadget/vreader ] || { echo "the gadget is still there"; return 1; }
  ! grep -q functionfs /proc/mounts || { echo "FunctionFS still mounted"; return 1; }
}

# An injected failure on the bus: the run's transcript over SG_IO equals
# the one on the simulated machine of the same file, made here in the guest
# by the same updater-cli. A transport failure resets the reader (its port),
# and it serves on.
virtual_reader_failure() {
  machine=/cases/$1.json
  fresh_work
  updater-cli --machine "$machine" --workdir /tmp/work getinfo ispena isp >/tmp/$1.expected 2>&1
  fresh_work
  updater-cli --host --workdir /tmp/work getinfo ispena isp >/tmp/$1.txt 2>&1
  stop_virtual_reader || return 1
  diff /tmp/$1.expected /tmp/$1.txt || { show_reader_log; return 1; }
}

# The reader unplugs itself once the first loader transfer's data has come:
# the program sees the reader vanish in the transfer, and the flash stays
# as it was.
virtual_reader_unplugged() {
  fresh_work
  updater-cli --host --workdir /tmp/work getinfo ispena isp >/tmp/unplugged.txt 2>&1
  grep -q '^virtual-reader: unplugged$' /tmp/vreader.out || { echo "no unplugged line"; show_reader_log; return 1; }
  stop_virtual_reader || return 1
  [ ! -s /tmp/vreader-flash.bin ] || { echo "the flash changed"; return 1; }
  grep -q '^  | Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!$' /tmp/unplugged.txt &&
    grep -q '^tally          : success 0x0, error 0x1, total 0x1$' /tmp/unplugged.txt ||
    { echo "not the transfer's failure:"; cat /tmp/unplugged.txt; return 1; }
  cmp /cases/work/SERIAL.TXT /tmp/work/SERIAL.TXT || { echo "SERIAL.TXT advanced"; return 1; }
}

# Two readers on two buses of dummy_hcd: both are listed, and the second is
# selected, programmed and verified with the next serial number; the first
# keeps its flash.
virtual_reader_two_readers() {
  fresh_work
  updater-cli --host --workdir /tmp/work getinfo device=2 ispena isp verify >/tmp/two-readers.txt 2>&1
  stop_virtual_reader vreader && stop_virtual_reader vreader2 || return 1
  diff /cases/two-readers.expected /tmp/two-readers.txt || { show_reader_log; return 1; }
  cmp /cases/two-readers.flash /tmp/vreader2-flash.bin || return 1
  [ ! -s /tmp/vreader-flash.bin ] || { echo "the first reader's flash changed"; return 1; }
}

# Four readers on four buses, programmed and verified at once (isp-all,
# verify-all), each run on its own thread with real pauses: the runs' lines
# interleave as the bus times them, so each reader's lines and the
# session's own lines are compared apart with the simulated run's of the
# same file. Each reader's flash carries its own serial number, taken from
# SERIAL.TXT in device-list order; every run wrote its history record.
virtual_reader_four_readers() {
  fresh_work
  updater-cli --host --workdir /tmp/work getinfo ispena isp-all verify-all >/tmp/four-readers.txt 2>&1
  for gadget in vreader vreader2 vreader3 vreader4; do stop_virtual_reader $gadget || return 1; done
  grep -v '^\[reader [0-9]\] ' /cases/four-readers.expected >/tmp/four-readers.session.expected
  grep -v '^\[reader [0-9]\] ' /tmp/four-readers.txt | diff /tmp/four-readers.session.expected - || return 1
  for reader in 1 2 3 4; do
    grep "^\[reader $reader\] " /cases/four-readers.expected >/tmp/four-readers.$reader.expected
    grep "^\[reader $reader\] " /tmp/four-readers.txt | diff /tmp/four-readers.$reader.expected - || return 1
  done
  [ "$(grep -c '^readers: 4, success 4, failure 0$' /tmp/four-readers.txt)" = 2 ] || { echo "not two runs of 4 successes"; return 1; }
  serials=$(sed -n 's/^reader [1-4] \[sd[a-d]\] serial \([0-9]\{12\}\): success: .*/\1/p' /tmp/four-readers.txt | sort -u | wc -l)
  [ "$serials" = 4 ] || { echo "$serials distinct serial numbers"; return 1; }
  set -- $(cat /cases/work/SERIAL.TXT)
  before="$1 $2 $(($3))"
  set -- $(cat /tmp/work/SERIAL.TXT)
  [ "$1 $2 $(($3 - 4))" = "$before" ] || { echo "SERIAL.TXT: $*"; return 1; }
  # The records' order and times are the bus's; the rest is the simulated run's.
  [ "$(wc -l </tmp/work/HISTORY.CSV)" = 9 ] || { echo "not 8 history records"; return 1; }
  cut -d, -f2- /cases/four-readers.history | sort >/tmp/four-readers.history.expected
  cut -d, -f2- /tmp/work/HISTORY.CSV | sort | diff /tmp/four-readers.history.expected - || return 1
  cmp /cases/four-readers-1.flash /tmp/vreader-flash.bin &&
    cmp /cases/four-readers-2.flash /tmp/vreader2-flash.bin &&
    cmp /cases/four-readers-3.flash /tmp/vreader3-flash.bin &&
    cmp /cases/four-readers-4.flash /tmp/vreader4-flash.bin
}

# Case $1: a new reader on machine file /cases/$3.json with options $4...,
# then function $2 with the machine's name.
run_reader_case() {
  name=$1
  case_function=$2
  machine=$3
  shift 3
  if wait_for_gone && start_virtual_reader vreader --machine "/cases/$machine.json" --flash-out /tmp/vreader-flash.bin --trace "$@" &&
    wait_for_unit sg0 >/dev/null; then
    run_case "$name" "$case_function" "$machine"
  else
    echo "FAIL $name: the reader did not come up"
    show_reader_log
  fi
}

# The previous readers' gadgets and units are gone (up to 10 s).
wait_for_gone() {
  for _ in $(seq 50); do
    nothing_plugged && return 0
    sleep 0.2
  done
  return 0
}

nothing_plugged() {
  for node in /sys/kernel/config/usb_gadget/* /dev/sg*; do
    [ -e "$node" ] && return 1
  done
  return 0
}

if start_virtual_reader vreader --machine /cases/reader.json --flash-out /tmp/vreader-flash.bin --trace; then
  run_case virtual_reader_is_a_disk virtual_reader_is_a_disk
  run_case virtual_reader_isp virtual_reader_isp
  run_case host_recording_replays host_recording_replays
  run_case virtual_reader_cleans_up virtual_reader_cleans_up
else
  echo "FAIL virtual_reader_is_a_disk: $(head -n 5 /tmp/vreader.err)"
fi
run_reader_case virtual_reader_transport_failure virtual_reader_failure reader-transport
run_reader_case virtual_reader_status_failure virtual_reader_failure reader-status
run_reader_case virtual_reader_unplugged virtual_reader_unplugged reader --unplug-after 1
if wait_for_gone &&
  start_virtual_reader vreader --machine /cases/two-readers.json --reader 1 --flash-out /tmp/vreader-flash.bin &&
  wait_for_unit sg0 >/dev/null &&
  start_virtual_reader vreader2 --machine /cases/two-readers.json --reader 2 --udc dummy_udc.1 \
    --flash-out /tmp/vreader2-flash.bin &&
  wait_for_unit sg1 >/dev/null; then
  run_case virtual_reader_two_readers virtual_reader_two_readers
else
  echo "FAIL virtual_reader_two_readers: the readers did not come up"
  show_reader_log
fi
# Reader N of four-readers.json on dummy_udc.N-1; each is up (its unit
# sgN-1 there) before the next is plugged, so that the kernel's names
# follow the buses.
start_four_readers() {
  wait_for_gone || return 1
  for reader in 1 2 3 4; do
    gadget=vreader$reader
    [ "$reader" = 1 ] && gadget=vreader
    start_virtual_reader $gadget --machine /cases/four-readers.json --reader $reader --udc dummy_udc.$((reader - 1)) \
      --flash-out /tmp/$gadget-flash.bin && wait_for_unit sg$((reader - 1)) >/dev/null || return 1
  done
}
if start_four_readers; then
  run_case virtual_reader_four_readers virtual_reader_four_readers
else
  echo "FAIL virtual_reader_four_readers: the readers did not come up"
  show_reader_log
fi
