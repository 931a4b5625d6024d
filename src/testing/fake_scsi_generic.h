#pragma once

// The SCSI generic driver as tests play it: it records each request, answers
// with what the test set, and refuses the opens the test names.

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "platform/linux/scsi_generic.h"

namespace updater {

class FakeScsiGeneric final : public ScsiGeneric {
 public:
  struct Seen {
    std::string node;
    int direction = 0;
    std::vector<Byte> cdb;
    std::vector<Byte> dataOut;
    unsigned dataLength = 0;
    unsigned timeoutMs = 0;
    unsigned maxSense = 0;
  };

  int open(const std::string& path) override {
    if (const auto refused = refusals.find(path); refused != refusals.end()) return -refused->second;
    opened[next_] = path;
    return next_++;
  }
  void close(int descriptor) override { opened.erase(descriptor); }
  int sgIo(int descriptor, sg_io_hdr_t& header) override {
    Seen request{opened.at(descriptor), header.dxfer_direction, {}, {}, header.dxfer_len, header.timeout, header.mx_sb_len};
    request.cdb.assign(header.cmdp, header.cmdp + header.cmd_len);
    auto* data = static_cast<Byte*>(header.dxferp);
    if (header.dxfer_direction == SG_DXFER_TO_DEV) request.dataOut.assign(data, data + header.dxfer_len);
    if (header.dxfer_direction == SG_DXFER_FROM_DEV) std::copy(answer.begin(), answer.end(), data);
    seen.push_back(std::move(request));
    header.status = status;
    header.host_status = hostStatus;
    header.driver_status = driverStatus;
    std::copy(sense.begin(), sense.end(), header.sbp);
    header.sb_len_wr = static_cast<unsigned char>(sense.size());
    return error;
  }

  std::map<std::string, int> refusals;  // node -> errno of its open
  std::map<int, std::string> opened;
  std::vector<Seen> seen;
  std::vector<Byte> answer;
  std::vector<Byte> sense;
  unsigned char status = 0;
  unsigned short hostStatus = 0;
  unsigned short driverStatus = 0;
  int error = 0;

 private:
  int next_ = 3;
};

}  // namespace updater
