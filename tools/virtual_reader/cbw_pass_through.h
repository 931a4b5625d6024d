#pragma once

// A command from the USB host as the Windows pass-through request the
// program's core would have built for it. The simulated reader checks and
// answers exactly that request (platform/sim/sim_pass_through.h), so the
// virtual reader answers the program on Linux as the simulated machine does
// on Windows, with the same checks and the same injected failures.

#include <cstdint>
#include <optional>
#include <vector>

#include "bulk_only.h"
#include "common/bytes.h"

namespace updater {

/// One pass-through buffer (header, sense area, data area) and the input and
/// output sizes of the control call, both leading parts of `buffer`.
struct PassThroughBuffer {
  std::vector<Byte> buffer;
  std::size_t inputSize = 0;
  std::size_t outputSize = 0;

  ConstBytes input() const { return ConstBytes(buffer).first(inputSize); }
  Bytes output() { return Bytes(buffer).first(outputSize); }
  /// The data area, where data-in answers land.
  ConstBytes data() const;
};

/// The request for `cbw` with its data-out bytes `dataOut`; none when the
/// command cannot be one of the program's: a command block that is not 12
/// bytes long (the kernel's own commands are 6, 10 or 16) or data longer
/// than the data area.
std::optional<PassThroughBuffer> passThroughFromCbw(const bulk_only::Cbw& cbw, ConstBytes dataOut);

}  // namespace updater
