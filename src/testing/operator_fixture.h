#pragma once

// A program as the operator meets it: a simulated machine, a working
// directory with DEVICE.TXT, SERIAL.TXT and a type-5 image with its address
// file, the program's real routes, and helpers that read what the window
// showed.

#include <memory>
#include <string>
#include <vector>

#include "device/route_registry.h"
#include "testing/program_harness.h"
#include "testing/temporary_directory.h"

namespace updater {

/// DEVICE.TXT naming the image files and accepting the simulated machine's
/// default reader ("Generic " / "USB Reader      ").
extern const char* const kOperatorDeviceTxt;

/// A reader of the default identity on `letters` with hardware revision
/// `hwRevision`, serial `serial`.
ReaderDescription operatorReader(std::string letters, std::string serial,
                                 std::array<Byte, 3> hwRevision = {0x40, 0x23, 0x41});

/// A machine of the given Windows version with `readers`.
MachineDescription operatorMachine(WindowsVersion windows, std::vector<ReaderDescription> readers);

struct OperatorFixture {
  explicit OperatorFixture(const MachineDescription& machine);

  Program& program() { return *harness.program; }
  SimMachine& machine() { return harness.machine; }
  std::string reportArea() const { return harness.mainView.controlText(1021); }
  std::vector<TranscriptEvent> boxes() const { return harness.messageBoxes(); }
  const RecordingMainView::List& deviceList() { return harness.mainView.list(1030); }
  const RecordingMainView::List& driverList() { return harness.mainView.list(1027); }

  TemporaryDirectory directory;
  ProgramHarness harness;
  std::unique_ptr<RouteSet> routes;
};

}  // namespace updater
