#pragma once

// Injected failures of the simulated machine's file calls: the n-th call
// (1-based) of one kind fails, or a write goes in short. The files are the
// host's own, so what a fault leaves (a part written, a file not renamed)
// is really on the disk for a test to look at:
//
//   CreateFails          createNewFile makes nothing and fails
//   OpenFails            openFileForAppend opens nothing and fails
//   WriteFails           writeFile writes nothing and fails, as on an I/O error
//   ShortWrite           writeFile takes only the first half of what it is
//                        given (at least a byte) and says so: no failure
//   ShortWriteThenFails  as ShortWrite, and the next writeFile fails as WriteFails
//   DiskFull             writeFile writes the first half and then fails, as
//                        with ENOSPC once the disk has filled
//   FlushFails           flushFile fails
//   CloseFails           closeFile closes the file and reports a failure
//   RenameFails          renameFile renames nothing and fails
//
// File faults are for tests in code; machine files have no word for them.

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace updater {

/// The port's file calls that a fault can hit.
enum class FileCall { CreateNewFile, OpenForAppend, WriteFile, FlushFile, CloseFile, RenameFile };

enum class FileFault {
  CreateFails,
  OpenFails,
  WriteFails,
  ShortWrite,
  ShortWriteThenFails,
  DiskFull,
  FlushFails,
  CloseFails,
  RenameFails,
};

/// The call a fault hits.
FileCall callOf(FileFault fault);

/// "createNewFile", "writeFile", ...: the port call's name.
const char* fileCallName(FileCall call);
/// "CreateFails", "ShortWrite", ...: usable in test names.
const char* fileFaultName(FileFault fault);

/// Every fault of `call`, in a fixed order.
std::vector<FileFault> faultsOf(FileCall call);

struct InjectedFileFault {
  FileFault fault = FileFault::WriteFails;
  int occurrence = 1;  // of the calls of callOf(fault)
};

class FileFaultPlan {
 public:
  FileFaultPlan() = default;
  explicit FileFaultPlan(std::vector<InjectedFileFault> faultsIn) : faults(std::move(faultsIn)) {}

  std::vector<InjectedFileFault> faults;

  /// Counts one call of `call` and says whether, and how, it fails.
  std::optional<FileFault> next(FileCall call);

  /// Calls counted so far, by kind; a clean run's counts say which file
  /// calls a scenario makes.
  const std::map<FileCall, int>& counts() const { return counts_; }

 private:
  std::map<FileCall, int> counts_;
  bool failNextWrite_ = false;
};

}  // namespace updater
