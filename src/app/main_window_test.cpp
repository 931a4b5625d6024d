#include "app/main_window.h"

#include <gtest/gtest.h>

#include "app/operator_commands.h"
#include "app/program.h"
#include "testing/operator_fixture.h"

namespace updater {
namespace {

constexpr WindowsVersion kXp{true, 5, 1};

TEST(MainWindowStartUp, ShowsTheDeviceTxtSummaryThenScansAndReports) {
  OperatorFixture fixture(operatorMachine(kXp, {operatorReader("EF", "000000000001")}));
  ASSERT_TRUE(initialiseMainWindow(fixture.program(), *fixture.routes));

  const auto boxes = fixture.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "User ISP Update Data Dialog");
  EXPECT_EQ(fixture.program().osMode, OsMode::WinXp);
  EXPECT_EQ(fixture.harness.mainView.controlText(1028), "Inq.ProductName");
  EXPECT_TRUE(fixture.driverList().items.empty());
  EXPECT_EQ(fixture.deviceList().items, std::vector<std::string>{"1"});
  EXPECT_EQ(fixture.deviceList().selected, 0);
  EXPECT_EQ(fixture.program().deviceTable.entries[0].letterCount, 2);
  EXPECT_NE(fixture.harness.mainView.controlText(1024).find("[E:] [F:] "), std::string::npos);
  EXPECT_EQ(fixture.machine().openHandleCount(), 0u);
}

TEST(MainWindowStartUp, RefusesAnUnlistedWindowsAfterNamingItsVersion) {
  struct Row {
    const char* name;
    WindowsVersion windows;
    const char* versionText;
  };
  const Row rows[] = {
      {"NT 5.2", {true, 5, 2}, "NT => MajorVersion : 5 , MinorVersion : 2"},
      {"NT 6.1", {true, 6, 1}, "NT => MajorVersion : 6 , MinorVersion : 1"},
      {"non-NT 4.20", {false, 4, 20}, "Not NT => MajorVersion : 4 , MinorVersion : 20"},
  };
  for (const auto& row : rows) {
    OperatorFixture fixture(operatorMachine(row.windows, {operatorReader("E", "000000000001")}));
    EXPECT_FALSE(initialiseMainWindow(fixture.program(), *fixture.routes)) << row.name;
    const auto boxes = fixture.boxes();
    ASSERT_EQ(boxes.size(), 2u) << row.name;
    EXPECT_EQ(boxes[0].text, row.versionText) << row.name;
    EXPECT_EQ(boxes[0].icon, MessageIcon::Warning) << row.name;
    EXPECT_EQ(boxes[0].caption, "updater") << row.name;
    EXPECT_EQ(boxes[1].text, "This program must run under win9x or WinMe or Win2K or WinXP") << row.name;
    EXPECT_TRUE(fixture.machine().requests().empty()) << row.name << ": nothing touched a device";
  }
}

TEST(MainWindowStartUp, MissingDeviceTxtIsReportedAndTheScanFindsNothing) {
  OperatorFixture fixture(operatorMachine(kXp, {operatorReader("E", "000000000001")}));
  fixture.directory.remove("DEVICE.TXT");
  ASSERT_TRUE(initialiseMainWindow(fixture.program(), *fixture.routes));
  const auto boxes = fixture.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Error: Cannot open [DEVICE.TXT]");
  EXPECT_EQ(boxes[0].caption, "Message Dialog");
  EXPECT_EQ(boxes[1].caption, "User ISP Update Data Dialog");
  EXPECT_EQ(fixture.program().deviceTable.deviceCount, 0u);
  EXPECT_TRUE(fixture.reportArea().starts_with(
      "\nERROR: Device Not Ready when GET DEVICE VERSION!! \n  P/S: After ISP/Verify Device must plug-out first!"))
      << fixture.reportArea();
}

struct DriverListRow {
  const char* name;
  OsMode osMode;
  bool selfDriverChosen;
  const char* label;
  std::vector<std::string> items;
  int selected;
  const char* driverName;
};

TEST(MainWindowDriverList, FollowsTheWindowsFamilyAndTheSelfDriverChoice) {
  const DriverListRow rows[] = {
      {"98", OsMode::Win98, false, "Driver Select", {"KV20DISK.PDR", "KVDKPDRV.PDR", "QM_URDR.PDR"}, 1,
       "KVDKPDRV.PDR"},
      {"ME with driver", OsMode::WinMe, true, "Driver Select", {"KV20DISK.PDR", "KVDKPDRV.PDR", "QM_URDR.PDR"}, 1,
       "KVDKPDRV.PDR"},
      {"ME", OsMode::WinMe, false, "Inq.ProductName", {}, -1, "before"},
      {"2000 with driver", OsMode::Win2000, true, "Driver Select", {"UDSKIO.SYS"}, 0, "UDSKIO.SYS"},
      {"2000", OsMode::Win2000, false, "Inq.ProductName", {}, -1, "before"},
      {"XP with the box ticked", OsMode::WinXp, true, "Inq.ProductName", {}, -1, "before"},
  };
  for (const auto& row : rows) {
    OperatorFixture fixture(operatorMachine(kXp, {}));
    fixture.program().osMode = row.osMode;
    fixture.program().selfDriverChosen = row.selfDriverChosen;
    fixture.program().selectedDriverName = "before";
    fillDriverList(fixture.program());
    EXPECT_EQ(fixture.harness.mainView.controlText(1028), row.label) << row.name;
    EXPECT_EQ(fixture.driverList().items, row.items) << row.name;
    EXPECT_EQ(fixture.driverList().selected, row.selected) << row.name;
    EXPECT_EQ(fixture.program().selectedDriverName, row.driverName) << row.name;
  }
}

}  // namespace
}  // namespace updater
