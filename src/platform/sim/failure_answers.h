#pragma once

// What the program gets back from a route when an injected failure stops a
// request before it reaches the reader, per route and kind of failure. Every
// simulated route answers its failed requests from this table alone.
//
// Pass-through: a transport failure or an unplugged reader fails the
// DeviceIoControl call; a status failure completes it with check condition.
// The self drivers report no SCSI status: every failure fails the call.
// ASPI: the request is always posted; SS_ERR with a selection timeout, SS_ERR
// with check condition, or SS_NO_DEVICE once the reader is gone.

#include "common/bytes.h"
#include "device/access_route.h"
#include "platform/aspi_srb.h"
#include "platform/scsi_pass_through.h"
#include "platform/sim/failure_plan.h"

namespace updater {

struct FailureAnswer {
  AccessRoute route;
  FailureKind kind;
  /// The call itself fails (DeviceIoControl returns FALSE); nothing else is answered.
  bool callFails;
  /// The SCSI status the request completes with: the pass-through header's
  /// ScsiStatus, the ASPI block's SRB_TargStat.
  Byte scsiStatus;
  /// ASPI: the SRB_Status and SRB_HaStat the request is posted with.
  Byte srbStatus;
  Byte hostStatus;
};

namespace failure_answers {

constexpr Byte kCheckCondition = scsi_pass_through::kCheckCondition;
constexpr Byte kSelectionTimeout = aspi_srb::kHaStatSelectionTimeout;

using R = AccessRoute;
using K = FailureKind;

inline constexpr FailureAnswer kTable[] = {
    // route                   kind           fails  SCSI status      SRB_Status          SRB_HaStat
    {R::PassThrough,       K::Transport,  true,  0,               0,                  0},
    {R::PassThrough,       K::ScsiStatus, false, kCheckCondition, 0,                  0},
    {R::PassThrough,       K::Unplugged,  true,  0,               0,                  0},
    {R::SelfDriverNt,      K::Transport,  true,  0,               0,                  0},
    {R::SelfDriverNt,      K::ScsiStatus, true,  0,               0,                  0},
    {R::SelfDriverNt,      K::Unplugged,  true,  0,               0,                  0},
    {R::SelfDriverPort,    K::Transport,  true,  0,               0,                  0},
    {R::SelfDriverPort,    K::ScsiStatus, true,  0,               0,                  0},
    {R::SelfDriverPort,    K::Unplugged,  true,  0,               0,                  0},
    {R::SelfDriverDynamic, K::Transport,  true,  0,               0,                  0},
    {R::SelfDriverDynamic, K::ScsiStatus, true,  0,               0,                  0},
    {R::SelfDriverDynamic, K::Unplugged,  true,  0,               0,                  0},
    {R::Aspi,              K::Transport,  false, 0,               aspi_srb::kError,    kSelectionTimeout},
    {R::Aspi,              K::ScsiStatus, false, kCheckCondition, aspi_srb::kError,    0},
    {R::Aspi,              K::Unplugged,  false, 0,               aspi_srb::kNoDevice, 0},
};

constexpr int rowsFor(AccessRoute route, FailureKind kind) {
  int rows = 0;
  for (const auto& row : kTable) rows += row.route == route && row.kind == kind ? 1 : 0;
  return rows;
}

constexpr bool everyRouteAnswersEveryKindOnce() {
  constexpr AccessRoute kRoutes[] = {R::PassThrough, R::SelfDriverNt, R::SelfDriverPort, R::SelfDriverDynamic,
                                     R::Aspi};
  constexpr FailureKind kKinds[] = {K::Transport, K::ScsiStatus, K::Unplugged};
  for (const AccessRoute route : kRoutes) {
    for (const FailureKind kind : kKinds) {
      if (rowsFor(route, kind) != 1) return false;
    }
  }
  return true;
}

static_assert(everyRouteAnswersEveryKindOnce(), "each route needs exactly one answer to each kind of failure");

}  // namespace failure_answers

/// The route's answer to a request that fails by `kind`.
constexpr const FailureAnswer& failureAnswer(AccessRoute route, FailureKind kind) {
  for (const auto& row : failure_answers::kTable) {
    if (row.route == route && row.kind == kind) return row;
  }
  return failure_answers::kTable[0];  // not reached: the table is complete
}

}  // namespace updater
