#pragma once

// Where the driver writes the window digest: a file, or standard output.
// Each line is flushed at once, so a run that fails still leaves what it saw.

#include <cstdio>
#include <string>

#include "message_box.h"
#include "window_texts.h"

namespace gui_driver {

class DigestFile {
 public:
  /// Opens `path` for writing; an empty path writes to standard output.
  bool open(const std::string& path, std::string& error);
  ~DigestFile();

  void action(const std::string& name);
  void messageBox(const MessageBoxSeen& box);
  void controls(const std::string& reportArea, const std::string& deviceName, const std::string& driverLabel);
  /// The two lists' items (the program's bytes) and selections.
  void lists(const ListState& deviceList, const ListState& driverList);

 private:
  void writeLine(const std::string& line);

  std::FILE* out_ = stdout;
  bool ownsFile_ = false;
};

}  // namespace gui_driver
