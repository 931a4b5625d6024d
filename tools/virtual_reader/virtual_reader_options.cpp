#include "virtual_reader/virtual_reader_options.h"

#include <charconv>

namespace updater {

const char* const kVirtualReaderUsage =
    "usage: virtual-reader --machine FILE [--reader N] [--udc NAME] [--gadget NAME]\n"
    "                      [--flash-out FILE] [--ms-flash-out FILE] [--unplug-after N] [--trace]\n"
    "A card reader of the machine file on a USB device controller: a mass-storage\n"
    "gadget made through configfs and served through FunctionFS, until SIGTERM,\n"
    "SIGINT or until the gadget is unbound.\n";

namespace {

std::optional<int> number(const std::string& text, int least) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [rest, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || rest != end || value < least) return std::nullopt;
  return value;
}

// A gadget's name becomes a configfs directory and the FunctionFS instance.
bool isGadgetName(const std::string& name) {
  if (name.empty() || name.size() > 32) return false;
  for (const char c : name) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!allowed) return false;
  }
  return true;
}

}  // namespace

VirtualReaderCommandLine parseVirtualReaderOptions(const std::vector<std::string>& arguments) {
  VirtualReaderCommandLine result;
  VirtualReaderOptions options;
  const auto fail = [&result](const std::string& why) {
    result.error = why;
    return result;
  };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help" || name == "-h") {
      result.help = true;
      return fail(kVirtualReaderUsage);
    }
    if (name == "--trace") {
      options.trace = true;
      continue;
    }
    const bool known = name == "--machine" || name == "--reader" || name == "--unplug-after" || name == "--udc" ||
                       name == "--gadget" || name == "--flash-out" || name == "--ms-flash-out";
    if (!known) return fail("unknown argument " + name);
    if (i + 1 == arguments.size()) return fail(name + " needs a value");
    const std::string& value = arguments[++i];
    if (name == "--machine") {
      options.machineFile = value;
    } else if (name == "--reader" || name == "--unplug-after") {
      const int least = name == "--reader" ? 1 : 0;
      const std::optional<int> n = number(value, least);
      if (!n) {
        std::string why = name;
        why += ": not a number from ";
        why += std::to_string(least);
        why += ": ";
        why += value;
        return fail(why);
      }
      (name == "--reader" ? options.reader : options.unplugAfter) = *n;
    } else if (name == "--udc") {
      options.udc = value;
    } else if (name == "--gadget") {
      if (!isGadgetName(value)) return fail("--gadget: letters, digits, '_' and '-' only, up to 32: " + value);
      options.gadget = value;
    } else if (name == "--flash-out") {
      options.flashOut = value;
    } else {
      options.msFlashOut = value;
    }
  }
  if (options.machineFile.empty()) return fail("--machine FILE is required");
  if (options.udc.empty() || options.udc.find('/') != std::string::npos) return fail("--udc: not a controller name");
  result.options = options;
  return result;
}

}  // namespace updater
