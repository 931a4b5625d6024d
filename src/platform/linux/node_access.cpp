#include "platform/linux/node_access.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace updater {
namespace {

/// The name of the group that owns `node`; its number when it has no name.
std::string owningGroup(const std::filesystem::path& node) {
  struct stat status {};
  if (::stat(node.c_str(), &status) != 0) return "that owns the node";
  const group* entry = ::getgrgid(status.st_gid);
  return "\"" + (entry != nullptr ? std::string(entry->gr_name) : std::to_string(status.st_gid)) + "\"";
}

std::string refusal(const std::filesystem::path& node, int error) {
  std::string line = "cannot open " + node.string() + ": " + std::strerror(error);
  if (error == EACCES || error == EPERM) line += " (run as root, or as a member of group " + owningGroup(node) + ")";
  return line;
}

}  // namespace

std::optional<std::string> inaccessibleNode(const std::vector<HostReader>& readers, ScsiGeneric& scsiGeneric,
                                            const std::filesystem::path& deviceFolder) {
  for (const HostReader& reader : readers) {
    for (const HostUnit& unit : reader.units) {
      const std::filesystem::path node = deviceFolder / unit.genericName;
      const int descriptor = scsiGeneric.open(node.string());
      if (descriptor < 0) return refusal(node, -descriptor);
      scsiGeneric.close(descriptor);
    }
  }
  return std::nullopt;
}

}  // namespace updater
