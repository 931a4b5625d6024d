#include "platform/sim/machine_file_writer.h"

#include <nlohmann/json.hpp>

#include "common/byte_text.h"
#include "common/text_format.h"
#include "platform/sim/sim_pass_through.h"

namespace updater {
namespace {

using Json = nlohmann::ordered_json;

std::string hexId(std::uint16_t value) {
  std::string text;
  appendPaddedHex(text, value, 4);
  return text;
}

Json inquiryJson(const ReaderInquiry& inquiry) {
  return {{"vendor", utf8FromBytes(inquiry.vendor)}, {"product", utf8FromBytes(inquiry.product)},
          {"revision", utf8FromBytes(inquiry.revision)}};
}

std::string aspiName(AspiLayerState state) {
  for (const auto& [name, value] : kAspiStateNames) {
    if (value == state) return name;
  }
  return "ready";
}

std::string twoDigits(int value) {
  return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string dateText(const LocalDate& date) {
  std::string year = std::to_string(date.year);
  year.insert(0, year.size() < 4 ? 4 - year.size() : 0, '0');
  return year + '-' + twoDigits(date.month) + '-' + twoDigits(date.day);
}

// A transport failure carries nothing else; absent fields are empty or 0.
Json exchangeJson(const SessionExchange& exchange) {
  Json json;
  json["request"] = exchange.request.name;
  if (!exchange.request.cdb.empty()) json["cdb"] = hexDigits(exchange.request.cdb);
  if (!exchange.request.dataOut.empty()) json["dataOut"] = hexDigits(exchange.request.dataOut);
  const SessionAnswer& answer = exchange.answer;
  if (answer.transportFailure) {
    json["transportFailure"] = true;
    return json;
  }
  if (!answer.dataIn.empty()) json["dataIn"] = hexDigits(answer.dataIn);
  if (answer.status != 0) json["status"] = hexDigits(std::vector<Byte>{answer.status});
  if (!answer.sense.empty()) json["sense"] = hexDigits(answer.sense);
  return json;
}

void addIdentityFields(Json& json, const ReaderDescription& reader) {
  if (reader.identify) {
    json["identify"] = hexDigits(*reader.identify);
    return;
  }
  json["vendorId"] = hexId(reader.vendorId);
  json["productId"] = hexId(reader.productId);
  json["manufacturer"] = utf8FromBytes(reader.manufacturer);
  json["product"] = utf8FromBytes(reader.product);
  json["serial"] = utf8FromBytes(reader.serial);
  if (reader.identifyInquiry) json["identifyInquiry"] = inquiryJson(*reader.identifyInquiry);
  json["fwRevision"] = hexDigits(reader.fwRevision);
  json["usb20FwRevision"] = hexDigits(reader.usb20FwRevision);
  json["fwRevisionOrg"] = hexDigits(reader.fwRevisionOrg);
  json["hwRevision"] = hexDigits(reader.hwRevision);
  json["msRevision"] = utf8FromBytes(reader.msRevision);
  json["msLoaderRevision"] = utf8FromBytes(reader.msLoaderRevision);
}

Json readerJson(const ReaderDescription& reader) {
  Json json;
  json["letters"] = reader.letters;
  if (!reader.unitNames.empty()) json["unitNames"] = reader.unitNames;
  if (reader.units) json["units"] = *reader.units;
  json["inquiry"] = inquiryJson(reader.inquiry);
  addIdentityFields(json, reader);
  json["aspiAdapter"] = reader.aspiAdapter;
  json["aspiTargets"] = reader.aspiTargets;
  if (reader.session) {
    Json session = Json::array();
    for (const auto& exchange : *reader.session) session.push_back(exchangeJson(exchange));
    json["session"] = std::move(session);
  }
  return json;
}

}  // namespace

std::string machineFileText(const MachineDescription& machine) {
  Json json;
  if (machine.host.isWindows()) {
    json["windows"] = {{"nt", machine.windows.nt}, {"major", machine.windows.major}, {"minor", machine.windows.minor}};
  } else {
    json["host"] = {{"name", utf8FromBytes(machine.host.name)}, {"release", utf8FromBytes(machine.host.release)}};
  }
  if (machine.date) json["date"] = dateText(*machine.date);
  json["drives"] = machine.drives;
  json["selfDrivers"] = machine.selfDrivers;
  if (machine.selfDriverDeviceCount) json["selfDriverDeviceCount"] = *machine.selfDriverDeviceCount;
  json["aspi"] = aspiName(machine.aspi);
  Json readers = Json::array();
  for (const auto& reader : machine.readers) readers.push_back(readerJson(reader));
  json["readers"] = std::move(readers);
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace updater
