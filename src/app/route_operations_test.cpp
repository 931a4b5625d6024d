#include "app/route_operations.h"

#include <gtest/gtest.h>

#include "device/hardware_revision.h"
#include "device/identify_record.h"
#include "device/slot_assignment.h"
#include "testing/fake_route.h"
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
  const char* route;  // "" for none
};

Calls callOf(const char* call, const char* route) { return *route ? Calls{std::string(call) + " " + route} : Calls{}; }

TEST(RouteOperations, EachOperationReachesTheCurrentRoute) {
  const DispatchCase cases[] = {
      {"98 dynamic", OsMode::Win98, false, DriverKind::Kv20Disk, "SelfDriverDynamic"},
      {"98 port", OsMode::Win98, false, DriverKind::Other, "SelfDriverPort"},
      {"ME self driver", OsMode::WinMe, true, DriverKind::Kv20Disk, "SelfDriverPort"},
      {"ME ASPI", OsMode::WinMe, false, DriverKind::Other, "Aspi"},
      {"2000 self driver", OsMode::Win2000, true, DriverKind::Other, "SelfDriverNt"},
      {"2000 pass-through", OsMode::Win2000, false, DriverKind::Other, "PassThrough"},
      {"XP", OsMode::WinXp, true, DriverKind::Kv20Disk, "PassThrough"},
      {"unsupported", OsMode::Unsupported, true, DriverKind::Kv20Disk, ""},
  };
  for (const auto& row : cases) {
    ProgramHarness harness;
    Program& program = *harness.program;
    program.osMode = row.osMode;
    program.selfDriverChosen = row.selfDriverChosen;
    program.driverKind = row.driverKind;
    FakeRouteLog log;
    const auto routes = fakeRouteSet(harness.machine, log);

    EXPECT_EQ(buildDeviceTable(program, *routes), *row.route ? 0 : 1) << row.name;
    EXPECT_EQ(log.calls, callOf("enumerate", row.route)) << row.name;

    log.calls.clear();
    EXPECT_EQ(openSelfDriver(program, *routes), *row.route ? 0 : 1) << row.name;
    EXPECT_EQ(log.calls, callOf("openDriver", row.route)) << row.name;

    log.calls.clear();
    closeDevice(program, *routes);
    EXPECT_EQ(log.calls, callOf("closeDevice", row.route)) << row.name;
  }
}

// What the real routes do with the operations they have nothing for: the
// routes without a self driver open none, ASPI keeps nothing open.
TEST(RouteOperations, RoutesWithoutASelfDriverOpenNothingAndAspiClosesNothing) {
  for (const OsMode osMode : {OsMode::WinXp, OsMode::WinMe}) {
    ProgramHarness harness;
    Program& program = *harness.program;
    program.osMode = osMode;
    program.selectedDriverName = "KVDKPDRV.PDR";
    RouteSet routes(harness.machine);
    harness.transcript.keepTrace = true;
    EXPECT_EQ(openSelfDriver(program, routes), 1);
    closeDevice(program, routes);
    EXPECT_TRUE(harness.transcript.ofKind(EventKind::Io).empty());
    EXPECT_EQ(harness.machine.openHandleCount(), 0u);
  }
}

TEST(RouteOperations, ResultsOfTheRoutesArePassedOn) {
  ProgramHarness harness;
  Program& program = *harness.program;
  program.osMode = OsMode::Win98;
  FakeRouteLog log;
  const auto routes = fakeRouteSet(harness.machine, log);
  for (int result : {0, 1, 2}) {
    log.enumerateResult = result;
    log.openResult = result == 0 ? 0 : 1;
    EXPECT_EQ(buildDeviceTable(program, *routes), result);
    EXPECT_EQ(openSelfDriver(program, *routes), log.openResult);
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
  FakeRouteLog log;
  const auto routes = fakeRouteSet(harness.machine, log);
  DeviceTable seenTable;
  std::string seenLog = "not run";
  log.onEnumerate = [&](DeviceTable& table, RunSink& sink) {
    seenTable = table;
    seenLog = sink.statusLog();
    table.identifyData = identifyBlock(sampleReader());
    assignSlot(table, ScannedUnit::atDrive('G'));
  };

  EXPECT_EQ(buildDeviceTable(program, *routes), 0);
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
  FakeRouteLog log;
  const auto routes = fakeRouteSet(harness.machine, log);

  EXPECT_EQ(buildDeviceTable(program, *routes), 1);
  expectCleared(program.deviceTable, program.statusLog);
  EXPECT_EQ(openSelfDriver(program, *routes), 1);
  closeDevice(program, *routes);
  EXPECT_TRUE(log.calls.empty());
}

TEST(RouteOperations, AChangedInputTakesEffectAtTheNextOperation) {
  ProgramHarness harness;
  Program& program = *harness.program;
  program.osMode = OsMode::Win2000;
  FakeRouteLog log;
  log.openResult = 1;
  const auto routes = fakeRouteSet(harness.machine, log);
  buildDeviceTable(program, *routes);
  program.selfDriverChosen = true;
  buildDeviceTable(program, *routes);
  closeDevice(program, *routes);
  program.selfDriverChosen = false;
  EXPECT_EQ(openSelfDriver(program, *routes), 1);
  EXPECT_EQ(log.calls, (Calls{"enumerate PassThrough", "enumerate SelfDriverNt", "closeDevice SelfDriverNt",
                              "openDriver PassThrough"}));
}

}  // namespace
}  // namespace updater
