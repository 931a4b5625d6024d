#include "digest_file.h"

#include <fcntl.h>
#include <io.h>

#include "common/byte_text.h"
#include "digest/digest_lines.h"

namespace gui_driver {

using updater::utf8FromBytes;

bool DigestFile::open(const std::string& path, std::string& error) {
  if (path.empty()) {
    _setmode(_fileno(stdout), _O_BINARY);
    return true;
  }
  // Binary: the digest's lines end in a line feed alone, as the host tool's do.
  out_ = std::fopen(path.c_str(), "wb");
  ownsFile_ = out_ != nullptr;
  if (out_ == nullptr) error = "cannot write " + path;
  return out_ != nullptr;
}

DigestFile::~DigestFile() {
  if (ownsFile_) std::fclose(out_);
}

void DigestFile::action(const std::string& name) { writeLine(updater::digest::actionLine(name)); }

void DigestFile::messageBox(const MessageBoxSeen& box) {
  writeLine(updater::digest::messageBoxLine(box.icon, utf8FromBytes(box.caption), utf8FromBytes(box.text)));
}

void DigestFile::controls(const std::string& reportArea, const std::string& deviceName,
                          const std::string& driverLabel) {
  writeLine(updater::digest::controlsLine(
      {utf8FromBytes(reportArea), utf8FromBytes(deviceName), utf8FromBytes(driverLabel)}));
}

namespace {

updater::digest::ListItems digestList(const ListState& list) {
  updater::digest::ListItems items;
  for (const auto& item : list.items) items.items.push_back(utf8FromBytes(item));
  items.selected = list.selected;
  return items;
}

}  // namespace

void DigestFile::lists(const ListState& deviceList, const ListState& driverList) {
  writeLine(updater::digest::listsLine({digestList(deviceList), digestList(driverList)}));
}

void DigestFile::writeLine(const std::string& line) {
  std::fputs(line.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace gui_driver
