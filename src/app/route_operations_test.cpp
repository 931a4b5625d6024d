#include "device/route_operations.h"

#include <gtest/gtest.h>

#include "device/hardware_revision.h"
#include "device/identify_record.h"
#include "device/slot_assignment.h"
#include "testing/fake_device_routes.h"
#include "testing/identify_block_builder.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

using Calls = std::vector<std::string>;

struct DispatchCase {
  const char* name;
  OsMode osMode;
  bool selfDriverChosen;
  DriverKind driverKind;
  const char* enumerator;  // "" for none
  const char* opener;
  const char* closer;
};

Calls callsOf(const char* name) { return *name ? Calls{name} : Calls{}; }

TEST(RouteOperations, EachOperationReachesTheHalfOfTheCurrentRoute) {
  const DispatchCase cases[] = {
      {"98 dynamic", OsMode::Win98, false, DriverKind::Kv20Disk, "enumerateDynamicSelfDriver",
       "openDynamicSelfDriver", "closeSelfDriver9x"},
      {"98 port", OsMode::Win98, false, DriverKind::Other, "enumeratePortSelfDriver", "openPortSelfDriver",
       "closeSelfDriver9x"},
      {"ME self driver", OsMode::WinMe, true, DriverKind::Kv20Disk, "enumeratePortSelfDriver",
       "openPortSelfDriver", "closeSelfDriver9x"},
      {"ME ASPI", OsMode::WinMe, false, DriverKind::Other, "enumerateAspi", "", ""},
      {"2000 self driver", OsMode::Win2000, true, DriverKind::Other, "enumerateSelfDriverNt",
       "probeNtSelfDriver", "closePassThroughDrive"},
      {"2000 pass-through", OsMode::Win2000, false, DriverKind::Other, "enumeratePassThrough", "",
       "closePassThroughDrive"},
      {"XP", OsMode::WinXp, true, DriverKind::Kv20Disk, "enumeratePassThrough", "", "closePassThroughDrive"},
      {"unsupported", OsMode::Unsupported, true, DriverKind::Kv20Disk, "", "", ""},
  };
  for (const auto& row : cases) {
    ProgramHarness harness;
    Program& program = *harness.program;
    program.osMode = row.osMode;
    program.selfDriverChosen = row.selfDriverChosen;
    program.driverKind = row.driverKind;
    FakeDeviceRoutes routes;
    routes.enumerateResult = 0;
    routes.openResult = 0;

    EXPECT_EQ(buildDeviceTable(program, routes), *row.enumerator ? 0 : 1) << row.name;
    EXPECT_EQ(routes.calls, callsOf(row.enumerator)) << row.name;

    routes.calls.clear();
    EXPECT_EQ(openSelfDriver(program, routes), *row.opener ? 0 : 1) << row.name;
    EXPECT_EQ(routes.calls, callsOf(row.opener)) << row.name;

    routes.calls.clear();
    closeDevice(program, routes);
    EXPECT_EQ(routes.calls, callsOf(row.closer)) << row.name;
  }
}

TEST(RouteOperations, ResultsOfTheRouteHalvesArePassedOn) {
  ProgramHarness harness;
  Program& program = *harness.program;
  program.osMode = OsMode::Win98;
  FakeDeviceRoutes routes;
  for (int result : {0, 1, 2}) {
    routes.enumerateResult = result;
    routes.openResult = result == 0 ? 0 : 1;
    EXPECT_EQ(buildDeviceTable(program, routes), result);
    EXPECT_EQ(openSelfDriver(program, routes), routes.openResult);
  }
}

/// A table full of a previous run: entries, counters, identify data, log.
void fillWithLeftovers(Program& program) {
  DeviceTable& table = program.deviceTable;
  for (int i = 0; i < 3; ++i) {
    ReaderIdentity reader = sampleReader();
    reader.serial = "OLD" + std::to_string(i);
    table.identifyData = identifyBlock(reader);
    assignSlot(table, ScannedUnit::atDrive(static_cast<char>('D' + i)));
  }
  table.entries[7].letterCount = 2;  // a slot a self-driver scan left half filled
  table.selectedIndex = 2;
  table.identifyData.fill(0x5A);
  program.statusLog = "\nan old error";
}

void expectCleared(const DeviceTable& table, const std::string& statusLog) {
  for (std::size_t i = 0; i < kIdentifyLength; ++i) {
    const Byte expected = (i == 154 || i == 155) ? 0xFF : 0x00;
    ASSERT_EQ(table.identifyData[i], expected) << "identify byte " << i;
  }
  for (std::size_t slot = 0; slot < kDeviceSlots; ++slot) {
    const DeviceEntry& entry = table.entries[slot];
    EXPECT_EQ(entry.inUse, 0u) << slot;
    EXPECT_EQ(entry.letterCount, 0) << slot;
    EXPECT_EQ(entry.strSerial, SerialNumber{}) << slot;
    EXPECT_EQ(entry.driveLetters, (std::array<char, 5>{})) << slot;
    EXPECT_EQ(entry.usbHwRevision, (HardwareRevision{})) << slot;
    EXPECT_EQ(entry.msFwRevision, (std::array<char, 8>{})) << slot;
  }
  EXPECT_EQ(table.deviceCount, 0u);
  EXPECT_EQ(table.selectedIndex, 0u);
  EXPECT_EQ(table.selectedLetterCount, 0u);
  EXPECT_EQ(statusLog, "");
}

TEST(RouteOperations, BuildDeviceTableClearsBeforeTheEnumeratorRuns) {
  ProgramHarness harness;
  Program& program = *harness.program;
  program.osMode = OsMode::WinXp;
  fillWithLeftovers(program);
  FakeDeviceRoutes routes;
  DeviceTable seenTable;
  std::string seenLog = "not run";
  routes.onEnumerate = [&](Program& seen) {
    seenTable = seen.deviceTable;
    seenLog = seen.statusLog;
    seen.deviceTable.identifyData = identifyBlock(sampleReader());
    assignSlot(seen.deviceTable, ScannedUnit::atDrive('G'));
  };

  EXPECT_EQ(buildDeviceTable(program, routes), 0);
  expectCleared(seenTable, seenLog);
  // What the enumerator filled stays.
  EXPECT_EQ(program.deviceTable.deviceCount, 1u);
  EXPECT_EQ(program.deviceTable.entries[0].driveLetters[0], 'G');
}

TEST(RouteOperations, UnsupportedWindowsClearsTheTableAndFailsWithoutDispatch) {
  ProgramHarness harness;
  Program& program = *harness.program;
  program.osMode = OsMode::Unsupported;
  fillWithLeftovers(program);
  FakeDeviceRoutes routes;

  EXPECT_EQ(buildDeviceTable(program, routes), 1);
  expectCleared(program.deviceTable, program.statusLog);
  EXPECT_EQ(openSelfDriver(program, routes), 1);
  closeDevice(program, routes);
  EXPECT_TRUE(routes.calls.empty());
}

TEST(RouteOperations, AChangedInputTakesEffectAtTheNextOperation) {
  ProgramHarness harness;
  Program& program = *harness.program;
  program.osMode = OsMode::Win2000;
  FakeDeviceRoutes routes;
  buildDeviceTable(program, routes);
  program.selfDriverChosen = true;
  buildDeviceTable(program, routes);
  closeDevice(program, routes);
  program.selfDriverChosen = false;
  EXPECT_EQ(openSelfDriver(program, routes), 1);
  EXPECT_EQ(routes.calls, (Calls{"enumeratePassThrough", "enumerateSelfDriverNt", "closePassThroughDrive"}));
}

}  // namespace
}  // namespace updater
