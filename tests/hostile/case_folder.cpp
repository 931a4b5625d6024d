#include "case_folder.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace updater::hostile {
namespace {

using Json = nlohmann::json;

[[noreturn]] void cannot(const std::string& what, const std::filesystem::path& path) {
  throw std::runtime_error("cannot " + what + " " + path.string());
}

std::string readWhole(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) cannot("read", path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeWhole(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) cannot("write", path);
}

// The transcript's convention: each character U+0000..U+00FF is one byte.
std::string bytesOfText(const std::string& utf8) {
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      bytes += static_cast<char>(lead);
    } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
      bytes += static_cast<char>(((lead & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      throw std::runtime_error("a \"text\" part holds a character beyond U+00FF; use \"hex\"");
    }
  }
  return bytes;
}

std::string bytesOfHex(const std::string& hex) {
  std::string bytes;
  std::string digits;
  for (const char c : hex) {
    if (c == ' ') continue;
    digits += c;
    if (digits.size() == 2) {
      bytes += static_cast<char>(std::stoi(digits, nullptr, 16));
      digits.clear();
    }
  }
  if (!digits.empty()) throw std::runtime_error("a \"hex\" part ends in half a byte");
  return bytes;
}

std::string bytesOfPart(const Json& part, const std::filesystem::path& work) {
  if (part.contains("text")) return bytesOfText(part["text"].get<std::string>());
  if (part.contains("hex")) return bytesOfHex(part["hex"].get<std::string>());
  if (part.contains("file")) return readWhole(work / part["file"].get<std::string>());
  throw std::runtime_error("a part is none of \"text\", \"hex\", \"file\": " + part.dump());
}

void makeFile(const MadeEntry& entry, const std::filesystem::path& work) {
  std::string bytes = bytesOfParts(entry.parts, work);
  if (entry.size) bytes.resize(static_cast<std::size_t>(*entry.size), '\0');
  const std::filesystem::path path = work / entry.path;
  // A link or a directory standing there is replaced, never written through.
  std::filesystem::remove_all(path);
  writeWhole(path, bytes);
}

void makeEntry(const MadeEntry& entry, const std::filesystem::path& work) {
  const std::filesystem::path path = work / entry.path;
  switch (entry.kind) {
    case MadeEntry::Kind::File:
      makeFile(entry, work);
      break;
    case MadeEntry::Kind::Directory:
      std::filesystem::remove_all(path);
      std::filesystem::create_directories(path);
      break;
    case MadeEntry::Kind::Fifo:
      std::filesystem::remove_all(path);
      if (::mkfifo(path.c_str(), 0644) != 0) cannot("make the FIFO", path);
      break;
    case MadeEntry::Kind::Symlink:
      std::filesystem::remove_all(path);
      std::filesystem::create_symlink(entry.target, path);
      break;
    case MadeEntry::Kind::Remove:
      std::filesystem::remove_all(path);
      break;
    case MadeEntry::Kind::ModeOnly:
      break;
  }
  if (entry.mode) std::filesystem::permissions(path, static_cast<std::filesystem::perms>(*entry.mode));
}

void copyFilesOf(const std::filesystem::path& from, const std::filesystem::path& work) {
  for (const auto& entry : std::filesystem::directory_iterator(from)) {
    if (entry.path().filename() == "case.json") continue;
    std::filesystem::copy(entry.path(), work / entry.path().filename(),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
  }
}

}  // namespace

std::string bytesOfParts(const Json& parts, const std::filesystem::path& work) {
  std::string bytes;
  for (const auto& part : parts) {
    const std::string once = bytesOfPart(part, work);
    const std::uint64_t repeat = part.value("repeat", std::uint64_t{1});
    for (std::uint64_t i = 0; i < repeat; ++i) bytes += once;
  }
  return bytes;
}

void prepareCaseFolder(const HostileCase& hostile, const std::filesystem::path& demoFolder,
                       const std::filesystem::path& work) {
  copyFilesOf(demoFolder, work);
  copyFilesOf(hostile.folder, work);
  if (hostile.machine) writeWhole(work / "machine.json", hostile.machine->dump(2));
  for (const auto& entry : hostile.made) makeEntry(entry, work);
}

}  // namespace updater::hostile
