#pragma once

// The three system calls the host port makes on SCSI generic nodes, behind
// an interface so that tests and benchmarks stand in for the kernel.

#include <scsi/sg.h>

#include <string>

namespace updater {

class ScsiGeneric {
 public:
  virtual ~ScsiGeneric() = default;

  /// open(2) of node `path` for reading and writing: the descriptor, or
  /// -errno.
  virtual int open(const std::string& path) = 0;
  /// close(2).
  virtual void close(int descriptor) = 0;
  /// ioctl(descriptor, SG_IO, &header): 0, or -errno when the request could
  /// not be carried (the header's status fields then mean nothing).
  virtual int sgIo(int descriptor, sg_io_hdr_t& header) = 0;
};

/// The kernel's SCSI generic driver.
class SystemScsiGeneric final : public ScsiGeneric {
 public:
  int open(const std::string& path) override;
  void close(int descriptor) override;
  int sgIo(int descriptor, sg_io_hdr_t& header) override;
};

}  // namespace updater
