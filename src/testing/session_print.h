#pragma once

// How a test failure shows a session's exchange: its request name, bytes
// and answer in hex, rather than the object's raw bytes.

#include <ostream>

#include "platform/reader_session.h"
#include "platform/sim/sim_pass_through.h"

namespace updater {

inline void PrintTo(const SessionExchange& exchange, std::ostream* out) {
  const SessionAnswer& answer = exchange.answer;
  *out << exchange.request.name << " cdb " << hexDigits(exchange.request.cdb) << " dataOut "
       << hexDigits(exchange.request.dataOut) << " -> ";
  if (answer.transportFailure) {
    *out << "transport failure";
    return;
  }
  *out << "status " << static_cast<int>(answer.status) << " dataIn " << hexDigits(answer.dataIn) << " sense "
       << hexDigits(answer.sense);
}

}  // namespace updater
