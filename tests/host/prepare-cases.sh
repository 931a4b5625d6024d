#!/usr/bin/env bash
# Makes the host test's inputs and expected outputs before the guest boots:
# the bench's working folder, the machine files that describe the guest's
# readers to the virtual reader, and what updater-cli shows for each case on
# a simulated machine that plays the guest (a Linux host of the guest's
# kernel release, its units named as the guest's kernel names them).
#
#   tests/host/prepare-cases.sh UPDATER_CLI CASES_DIR KERNEL_RELEASE
set -euo pipefail
cli=$1
cases=$2
release=$3
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$cases/work"
cp "$here/../../examples/demo/"{DEVICE.TXT,SERIAL.TXT,DEMOFW.BIN,DEMOFW.adr,BMPMAP.BIN,DEMOMS.BIN} "$cases/work/"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A sim run of `updater-cli ACTIONS` on machine file $1 into $2.
expect() {
  local machine=$1 out=$2
  shift 2
  rm -rf "$scratch/work" && cp -r "$cases/work" "$scratch/work"
  "$cli" --machine "$machine" --workdir "$scratch/work" "$@" >"$out" || true
}

# The kernel's own mass-storage gadget is a plain disk to the program.
cat >"$cases/plain-disk.json" <<JSON
{"host": {"name": "Linux", "release": "$release"}, "drives": "C"}
JSON
expect "$cases/plain-disk.json" "$cases/plain-disk.expected" getinfo

# The virtual reader's machine files and their expected runs.
for machine in "$here"/machines/*.json; do
  [ -e "$machine" ] || continue
  name=$(basename "$machine" .json)
  sed "s/@RELEASE@/$release/" "$machine" >"$cases/$name.json"
done
if [ -e "$cases/reader.json" ]; then
  expect "$cases/reader.json" "$cases/reader-isp.expected" --dump-firmware "$scratch/out" getinfo ispena isp verify
  cp "$scratch/out/reader-1.bin" "$cases/reader-isp.flash"
fi
# Two readers on two buses: the second one selected, programmed and verified.
if [ -e "$cases/two-readers.json" ]; then
  expect "$cases/two-readers.json" "$cases/two-readers.expected" --dump-firmware "$scratch/out" getinfo device=2 ispena isp verify
  cp "$scratch/out/reader-2.bin" "$cases/two-readers.flash"
fi
# Four readers on four buses, all programmed and verified at once: each
# reader's flash with its own serial number, the transcript, and the
# records of HISTORY.CSV after the run.
if [ -e "$cases/four-readers.json" ]; then
  rm -rf "$scratch/out"
  expect "$cases/four-readers.json" "$cases/four-readers.expected" --dump-firmware "$scratch/out" getinfo ispena isp-all verify-all
  for reader in 1 2 3 4; do
    cp "$scratch/out/reader-$reader.bin" "$cases/four-readers-$reader.flash"
  done
  cp "$scratch/work/HISTORY.CSV" "$cases/four-readers.history"
fi
