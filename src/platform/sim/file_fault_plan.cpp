#include "platform/sim/file_fault_plan.h"

namespace updater {

FileCall callOf(FileFault fault) {
  switch (fault) {
    case FileFault::CreateFails: return FileCall::CreateNewFile;
    case FileFault::OpenFails: return FileCall::OpenForAppend;
    case FileFault::WriteFails:
    case FileFault::ShortWrite:
    case FileFault::ShortWriteThenFails:
    case FileFault::DiskFull: return FileCall::WriteFile;
    case FileFault::FlushFails: return FileCall::FlushFile;
    case FileFault::CloseFails: return FileCall::CloseFile;
    case FileFault::RenameFails: return FileCall::RenameFile;
  }
  return FileCall::WriteFile;
}

const char* fileCallName(FileCall call) {
  switch (call) {
    case FileCall::CreateNewFile: return "createNewFile";
    case FileCall::OpenForAppend: return "openFileForAppend";
    case FileCall::WriteFile: return "writeFile";
    case FileCall::FlushFile: return "flushFile";
    case FileCall::CloseFile: return "closeFile";
    case FileCall::RenameFile: return "renameFile";
  }
  return "?";
}

const char* fileFaultName(FileFault fault) {
  switch (fault) {
    case FileFault::CreateFails: return "CreateFails";
    case FileFault::OpenFails: return "OpenFails";
    case FileFault::WriteFails: return "WriteFails";
    case FileFault::ShortWrite: return "ShortWrite";
    case FileFault::ShortWriteThenFails: return "ShortWriteThenFails";
    case FileFault::DiskFull: return "DiskFull";
    case FileFault::FlushFails: return "FlushFails";
    case FileFault::CloseFails: return "CloseFails";
    case FileFault::RenameFails: return "RenameFails";
  }
  return "?";
}

std::vector<FileFault> faultsOf(FileCall call) {
  std::vector<FileFault> faults;
  for (const FileFault fault :
       {FileFault::CreateFails, FileFault::OpenFails, FileFault::WriteFails, FileFault::ShortWrite, FileFault::ShortWriteThenFails,
        FileFault::DiskFull, FileFault::FlushFails, FileFault::CloseFails, FileFault::RenameFails}) {
    if (callOf(fault) == call) faults.push_back(fault);
  }
  return faults;
}

std::optional<FileFault> FileFaultPlan::next(FileCall call) {
  const int occurrence = ++counts_[call];
  if (call == FileCall::WriteFile && failNextWrite_) {
    failNextWrite_ = false;
    return FileFault::WriteFails;
  }
  for (const auto& injected : faults) {
    if (callOf(injected.fault) != call || injected.occurrence != occurrence) continue;
    if (injected.fault == FileFault::ShortWriteThenFails) failNextWrite_ = true;
    return injected.fault;
  }
  return std::nullopt;
}

}  // namespace updater
