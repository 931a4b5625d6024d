#include "platform/linux/scsi_generic.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace updater {

int SystemScsiGeneric::open(const std::string& path) {
  // Non-blocking only so that the open never waits for another program's
  // exclusive open; SG_IO itself always waits for its request.
  const int descriptor = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  return descriptor >= 0 ? descriptor : -errno;
}

void SystemScsiGeneric::close(int descriptor) { ::close(descriptor); }

int SystemScsiGeneric::sgIo(int descriptor, sg_io_hdr_t& header) {
  int result = 0;
  do {
    result = ::ioctl(descriptor, SG_IO, &header);
  } while (result < 0 && errno == EINTR);
  return result < 0 ? -errno : 0;
}

}  // namespace updater
