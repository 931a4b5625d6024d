#include "jobs/durable_write.h"

#include "platform/port_owned.h"

namespace updater {

bool writeWhole(Port& port, NewFileValue file, std::string_view contents) {
  while (!contents.empty()) {
    const FileWriteResult result = port.writeFile(file, contents);
    if (!result.ok || result.written == 0 || result.written > contents.size()) return false;
    contents.remove_prefix(result.written);
  }
  return true;
}

NewFileWrite writeNewFile(Port& port, const std::filesystem::path& path, std::string_view contents) {
  const NewFileResult made = port.createNewFile(path);
  switch (made.status) {
    case NewFileStatus::Created: break;
    case NewFileStatus::AlreadyThere: return NewFileWrite::AlreadyThere;
    case NewFileStatus::Failed: return NewFileWrite::Failed;
  }
  UniqueNewFile file(port, made.file);
  const bool written = writeWhole(port, file.get(), contents) && port.flushFile(file.get());
  const bool closed = port.closeFile(file.release());
  return written && closed ? NewFileWrite::Written : NewFileWrite::Failed;
}

}  // namespace updater
