#pragma once

// The virtual reader's USB gadget in configfs (Linux): the gadget directory
// with its ids and strings, one configuration, and one FunctionFS function
// linked into it; binding it to a device controller and unbinding it again.
// Everything it makes it removes again, in reverse order.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace updater {

struct GadgetIdentity {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::string manufacturer;
  std::string product;
  std::string serial;
};

class ConfigfsGadget {
 public:
  /// The gadget `name` under the configfs root of USB gadgets.
  explicit ConfigfsGadget(std::string name);
  ~ConfigfsGadget();
  ConfigfsGadget(const ConfigfsGadget&) = delete;
  ConfigfsGadget& operator=(const ConfigfsGadget&) = delete;

  /// Makes the gadget with function ffs.NAME; an empty text, or what failed.
  std::string create(const GadgetIdentity& identity);
  /// The FunctionFS instance name to mount ("NAME").
  const std::string& functionInstance() const { return name_; }
  /// Writes the controller's name to UDC.
  std::string bind(const std::string& udc);
  /// Writes "" to UDC once; later calls do nothing. Safe from any thread.
  void unbind();
  /// Removes what create made, last first.
  void remove();

 private:
  std::string makeDirectory(const std::filesystem::path& path);
  std::string writeAttribute(const std::filesystem::path& path, const std::string& value);

  std::string name_;
  std::filesystem::path root_;
  /// Directories and links made, in order.
  std::vector<std::filesystem::path> made_;
  std::mutex bindLock_;
  bool bound_ = false;
};

}  // namespace updater
