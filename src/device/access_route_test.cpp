#include "device/access_route.h"

#include <optional>

#include <gtest/gtest.h>

#include "device/route_registry.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

struct RouteCase {
  const char* name;
  OsMode osMode;
  bool selfDriverChosen;
  DriverKind driverKind;
  std::optional<AccessRoute> route;
};

TEST(AccessRoute, DerivedFromFamilyCheckBoxAndDriverKind) {
  constexpr auto Dyn = DriverKind::Kv20Disk;
  constexpr auto Other = DriverKind::Other;
  const RouteCase cases[] = {
      {"98, KV20DISK", OsMode::Win98, false, Dyn, AccessRoute::SelfDriverDynamic},
      {"98, KV20DISK, ticked", OsMode::Win98, true, Dyn, AccessRoute::SelfDriverDynamic},
      {"98, other driver", OsMode::Win98, false, Other, AccessRoute::SelfDriverPort},
      {"98, other driver, ticked", OsMode::Win98, true, Other, AccessRoute::SelfDriverPort},
      {"ME, ticked", OsMode::WinMe, true, Other, AccessRoute::SelfDriverPort},
      {"ME, ticked, KV20DISK", OsMode::WinMe, true, Dyn, AccessRoute::SelfDriverPort},
      {"ME, unticked", OsMode::WinMe, false, Other, AccessRoute::Aspi},
      {"ME, unticked, KV20DISK", OsMode::WinMe, false, Dyn, AccessRoute::Aspi},
      {"2000, ticked", OsMode::Win2000, true, Other, AccessRoute::SelfDriverNt},
      {"2000, ticked, KV20DISK", OsMode::Win2000, true, Dyn, AccessRoute::SelfDriverNt},
      {"2000, unticked", OsMode::Win2000, false, Other, AccessRoute::PassThrough},
      {"2000, unticked, KV20DISK", OsMode::Win2000, false, Dyn, AccessRoute::PassThrough},
      {"XP", OsMode::WinXp, false, Other, AccessRoute::PassThrough},
      {"XP, ticked, KV20DISK", OsMode::WinXp, true, Dyn, AccessRoute::PassThrough},
      {"unsupported", OsMode::Unsupported, false, Other, std::nullopt},
      {"unsupported, ticked, KV20DISK", OsMode::Unsupported, true, Dyn, std::nullopt},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(accessRoute(row.osMode, row.selfDriverChosen, row.driverKind), row.route) << row.name;
  }
}

// The route the registry selects for the program's inputs as they are now.
std::optional<AccessRoute> selectedRoute(const Program& program) {
  const RouteRow* row = routeRowFor(program.routeInputs());
  if (row == nullptr) return std::nullopt;
  return row->id;
}

TEST(AccessRoute, FollowsTheProgramsInputsAtEveryCall) {
  ProgramHarness harness;
  Program& program = *harness.program;
  program.osMode = OsMode::Win2000;
  EXPECT_EQ(selectedRoute(program), AccessRoute::PassThrough);
  program.selfDriverChosen = true;
  EXPECT_EQ(selectedRoute(program), AccessRoute::SelfDriverNt);
  program.osMode = OsMode::Win98;
  program.driverKind = DriverKind::Kv20Disk;
  EXPECT_EQ(selectedRoute(program), AccessRoute::SelfDriverDynamic);
}

struct KindCase {
  const char* name;
  const char* driverName;
  DriverKind kind;
};

TEST(AccessRoute, DriverKindComparesTheFirstTwelveCharacters) {
  const KindCase cases[] = {
      {"dynamic driver", "KV20DISK.PDR", DriverKind::Kv20Disk},
      {"longer name with the same start", "KV20DISK.PDRX", DriverKind::Kv20Disk},
      {"port driver", "KVDKPDRV.PDR", DriverKind::Other},
      {"other port driver", "QM_URDR.PDR", DriverKind::Other},
      {"NT driver", "UDSKIO.SYS", DriverKind::Other},
      {"lower case", "kv20disk.pdr", DriverKind::Other},
      {"prefix only", "KV20DISK", DriverKind::Other},
      {"nothing chosen", "", DriverKind::Other},
  };
  for (const auto& row : cases) EXPECT_EQ(driverKindOf(row.driverName), row.kind) << row.name;
}

}  // namespace
}  // namespace updater
