#pragma once

// The configfs gadget and its FunctionFS mount: created on start, removed in
// reverse order on exit.

#include <string>

#include "platform/sim/machine_description.h"

namespace updater {

struct GadgetPaths {
  std::string name;
  std::string root;   // the gadget's configfs folder
  std::string mount;  // where functionfs is mounted
};

/// Creates the gadget `name` for `reader` and mounts its function; an error text or empty.
std::string createGadget(const GadgetPaths& paths, const ReaderDescription& reader);
/// Writes `udc` (or "\n": unbind) to the gadget's UDC file.
bool bindGadget(const GadgetPaths& paths, const std::string& udc);
/// Unbinds, unmounts and removes what createGadget made; errors are ignored.
void removeGadget(const GadgetPaths& paths);

}  // namespace updater
