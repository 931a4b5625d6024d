#include "cli/host_recording.h"

#include <algorithm>

#include "platform/sim/reader_identity.h"

namespace updater {
namespace {

bool isRequestName(std::string_view name) {
  return std::find(kRequestNames.begin(), kRequestNames.end(), name) != kRequestNames.end();
}

SessionAnswer answerOf(const CarriedRequest& request) {
  if (!request.carried) return transportFailure();
  SessionAnswer answer;
  answer.status = request.scsiStatus;
  answer.dataIn.assign(request.dataIn.begin(), request.dataIn.end());
  answer.sense.assign(request.sense.begin(), request.sense.end());
  return answer;
}

/// The inquiry texts of the reader's first INQUIRY answer; the defaults
/// when it answered none.
ReaderInquiry inquiryOf(const ReaderSession& session) {
  for (const auto& exchange : session) {
    const std::vector<Byte>& data = exchange.answer.dataIn;
    if (exchange.request.name == "inquiry" && data.size() >= kInquiryAnswerSize) return inquiryTexts(data);
  }
  return {};
}

ReaderDescription identityOf(const HostReader& reader, const ReaderSession& session) {
  ReaderDescription identity;
  identity.vendorId = reader.vendorId;
  identity.productId = reader.productId;
  identity.manufacturer = reader.manufacturer.substr(0, identity_width::kManufacturer);
  identity.product = reader.product.substr(0, identity_width::kProduct);
  identity.serial = reader.serial.substr(0, identity_width::kSerial);
  identity.inquiry = inquiryOf(session);
  identity.session = session;
  return identity;
}

}  // namespace

void HostRecorder::add(const char* requestName, const CarriedRequest& request) {
  if (!isRequestName(requestName) || request.readerNumber < 1) return;
  const auto index = static_cast<std::size_t>(request.readerNumber - 1);
  if (sessions_.size() <= index) sessions_.resize(index + 1);
  sessions_[index].push_back({{requestName, {request.cdb.begin(), request.cdb.end()},
                               {request.dataOut.begin(), request.dataOut.end()}},
                              answerOf(request)});
}

MachineDescription HostRecorder::recording(LinuxHostPort& port, const std::vector<HostReader>& readers) const {
  MachineDescription machine;
  machine.host = port.hostSystem();
  machine.date = port.localDate();
  machine.drives.clear();
  for (std::size_t i = 0; i < readers.size(); ++i) {
    machine.readers.push_back(identityOf(readers[i], i < sessions_.size() ? sessions_[i] : ReaderSession{}));
  }
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const HostUnit* unit = port.unitAt(letter);
    const int reader = port.readerAt(letter);
    if (unit == nullptr || reader < 1 || static_cast<std::size_t>(reader) > machine.readers.size()) continue;
    ReaderDescription& recorded = machine.readers[static_cast<std::size_t>(reader) - 1];
    recorded.letters += letter;
    recorded.unitNames.push_back(unit->displayName());
  }
  return machine;
}

}  // namespace updater
