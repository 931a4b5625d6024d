#pragma once

// The built-in demo machine: the text of examples/demo/machine.json, built
// into the program so that updater-cli runs without a machine file. The
// build copies the file in, so the two never differ.

#include <string_view>

namespace updater {

std::string_view demoMachineJson();

}  // namespace updater
