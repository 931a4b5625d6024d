#include "platform/sim/machine_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>

#include <nlohmann/json.hpp>

#include "common/plain_file.h"
#include "platform/sim/reader_identity.h"

namespace updater {
namespace {

/// The longest host name, release or unit name a machine file gives.
constexpr std::size_t kHostTextWidth = 64;

using Json = nlohmann::json;

// --- Paths and errors ---------------------------------------------------------

std::string fieldPath(const std::string& path, std::string_view name) {
  return path.empty() ? std::string(name) : path + "." + std::string(name);
}

std::string elementPath(const std::string& path, std::size_t index) { return path + "[" + std::to_string(index) + "]"; }

struct Context {
  std::filesystem::path folder;
  std::string error;

  /// Records the first error; always false, so readers can `return fail(...)`.
  bool fail(const std::string& path, const std::string& message) {
    if (error.empty()) error = (path.empty() ? std::string("machine file") : path) + ": " + message;
    return false;
  }
};

// --- Objects as tables of fields ----------------------------------------------

template <typename Record>
struct FieldRule {
  const char* name;
  bool (*read)(Context&, const Json&, const std::string&, Record&);
};

/// Reads the fields of `json` into `record` in the order of `rules` (so a
/// field may rely on one read before it); any other field is an error.
template <typename Record, std::size_t N>
bool readObject(Context& context, const Json& json, const std::string& path, const FieldRule<Record> (&rules)[N],
                Record& record) {
  if (!json.is_object()) return context.fail(path, "expected an object");
  for (const auto& item : json.items()) {
    const bool known = std::any_of(std::begin(rules), std::end(rules),
                                   [&item](const FieldRule<Record>& rule) { return item.key() == rule.name; });
    if (!known) return context.fail(fieldPath(path, item.key()), "unknown field");
  }
  for (const auto& rule : rules) {
    const auto found = json.find(rule.name);
    if (found != json.end() && !rule.read(context, *found, fieldPath(path, rule.name), record)) return false;
  }
  return true;
}

template <typename Element>
bool readArray(Context& context, const Json& json, const std::string& path, std::vector<Element>& out,
               bool (*readElement)(Context&, const Json&, const std::string&, Element&)) {
  if (!json.is_array()) return context.fail(path, "expected an array");
  out.clear();
  for (std::size_t i = 0; i < json.size(); ++i) {
    Element element{};
    if (!readElement(context, json[i], elementPath(path, i), element)) return false;
    out.push_back(std::move(element));
  }
  return true;
}

// --- Values -------------------------------------------------------------------

bool readBool(Context& context, const Json& json, const std::string& path, bool& out) {
  if (!json.is_boolean()) return context.fail(path, "expected true or false");
  out = json.get<bool>();
  return true;
}

bool readInteger(Context& context, const Json& json, const std::string& path, std::int64_t low, std::int64_t high,
                 std::int64_t& out) {
  if (!json.is_number_integer()) return context.fail(path, "expected an integer");
  std::int64_t value = 0;
  bool inRange = false;
  if (json.is_number_unsigned()) {
    const auto unsignedValue = json.get<std::uint64_t>();
    inRange = unsignedValue <= static_cast<std::uint64_t>(high);
    value = inRange ? static_cast<std::int64_t>(unsignedValue) : 0;
    inRange = inRange && value >= low;
  } else {
    value = json.get<std::int64_t>();
    inRange = value >= low && value <= high;
  }
  if (!inRange) {
    return context.fail(path, "expected an integer from " + std::to_string(low) + " to " + std::to_string(high));
  }
  out = value;
  return true;
}

bool readInt(Context& context, const Json& json, const std::string& path, int low, int high, int& out) {
  std::int64_t value = 0;
  if (!readInteger(context, json, path, low, high, value)) return false;
  out = static_cast<int>(value);
  return true;
}

bool readByteValue(Context& context, const Json& json, const std::string& path, int& out) {
  return readInt(context, json, path, 0, 255, out);
}

bool readU32(Context& context, const Json& json, const std::string& path, std::uint32_t& out) {
  std::int64_t value = 0;
  if (!readInteger(context, json, path, 0, 0xFFFFFFFF, value)) return false;
  out = static_cast<std::uint32_t>(value);
  return true;
}

/// A JSON string of single-byte characters: each character U+0000..U+00FF
/// stands for the byte of the same code.
bool readText(Context& context, const Json& json, const std::string& path, std::size_t maxLength, std::string& out) {
  if (!json.is_string()) return context.fail(path, "expected a text");
  const auto& utf8 = json.get_ref<const std::string&>();
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      bytes += static_cast<char>(lead);
      continue;
    }
    const bool twoByteLatin = (lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size() &&
                              (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80;
    if (!twoByteLatin) return context.fail(path, "holds a character that is not a single byte (beyond U+00FF)");
    bytes += static_cast<char>(((lead & 0x03) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
    ++i;
  }
  if (bytes.size() > maxLength) return context.fail(path, "longer than " + std::to_string(maxLength) + " characters");
  out = std::move(bytes);
  return true;
}

int hexDigitValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

bool isBlank(char character) { return character == ' ' || character == '\t'; }

/// Hexadecimal byte text: two digits per byte, blanks allowed between bytes.
bool readHexBytes(Context& context, const Json& json, const std::string& path, std::vector<Byte>& out) {
  if (!json.is_string()) return context.fail(path, "expected hexadecimal byte text");
  const auto& text = json.get_ref<const std::string&>();
  out.clear();
  for (std::size_t i = 0; i < text.size();) {
    if (isBlank(text[i])) {
      ++i;
      continue;
    }
    const int high = hexDigitValue(text[i]);
    const int low = i + 1 < text.size() ? hexDigitValue(text[i + 1]) : -1;
    if (high < 0 || low < 0) {
      return context.fail(path, "bad hexadecimal byte text at character " + std::to_string(i + 1) +
                                    " (two digits per byte, blanks only between bytes)");
    }
    out.push_back(static_cast<Byte>(high << 4 | low));
    i += 2;
  }
  return true;
}

template <std::size_t N>
bool readFixedBytes(Context& context, const Json& json, const std::string& path, std::array<Byte, N>& out) {
  std::vector<Byte> bytes;
  if (!readHexBytes(context, json, path, bytes)) return false;
  if (bytes.size() != N) {
    return context.fail(path, "expected " + std::to_string(N) + " bytes, found " + std::to_string(bytes.size()));
  }
  std::copy(bytes.begin(), bytes.end(), out.begin());
  return true;
}

bool readStatusByte(Context& context, const Json& json, const std::string& path, Byte& out) {
  std::vector<Byte> bytes;
  if (!readHexBytes(context, json, path, bytes)) return false;
  if (bytes.size() != 1) return context.fail(path, "expected one status byte, found " + std::to_string(bytes.size()));
  out = bytes[0];
  return true;
}

bool readHexId(Context& context, const Json& json, const std::string& path, std::uint16_t& out) {
  const bool isText = json.is_string();
  const std::string text = isText ? json.get<std::string>() : std::string();
  const bool wellFormed =
      text.size() == 4 && std::all_of(text.begin(), text.end(), [](char c) { return hexDigitValue(c) >= 0; });
  if (!wellFormed) return context.fail(path, "expected 4 hexadecimal digits");
  out = static_cast<std::uint16_t>(std::stoul(text, nullptr, 16));
  return true;
}

/// Drive letters, upper or lower case, each once.
bool readLetters(Context& context, const Json& json, const std::string& path, std::string& out) {
  std::string text;
  if (!readText(context, json, path, 26, text)) return false;
  std::string letters;
  for (const char character : text) {
    const char letter = static_cast<char>(character >= 'a' && character <= 'z' ? character - 'a' + 'A' : character);
    if (letter < 'A' || letter > 'Z')
      return context.fail(path, std::string("'") + character + "' is not a drive letter");
    if (letters.find(letter) != std::string::npos)
      return context.fail(path, std::string("drive letter ") + letter + " given twice");
    letters += letter;
  }
  out = std::move(letters);
  return true;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool readDate(Context& context, const Json& json, const std::string& path, std::optional<LocalDate>& out) {
  const std::string text = json.is_string() ? json.get<std::string>() : std::string();
  const bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-' &&
                      std::all_of(text.begin(), text.end(), [](char c) { return c == '-' || (c >= '0' && c <= '9'); });
  if (!shaped) return context.fail(path, "expected a date \"YYYY-MM-DD\"");
  const LocalDate date{std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)), std::stoi(text.substr(8, 2))};
  const bool valid = date.year >= 1 && date.month >= 1 && date.month <= 12 && date.day >= 1 &&
                     date.day <= daysInMonth(date.year, date.month);
  if (!valid) return context.fail(path, "\"" + text + "\" is not a calendar date");
  out = date;
  return true;
}

/// The contents of a file named relative to the machine file's folder. Only
/// plain files of a bounded size are read (see common/plain_file.h).
bool readFile(Context& context, const Json& json, const std::string& path, std::vector<Byte>& out) {
  if (!json.is_string() || json.get_ref<const std::string&>().empty())
    return context.fail(path, "expected a file name");
  const std::filesystem::path name = json.get<std::string>();
  const std::filesystem::path resolved = name.is_absolute() ? name : context.folder / name;
  const std::string quoted = "\"" + name.string() + "\"";
  switch (checkPlainFile(resolved, kMachineFileMaxBytes)) {
    case PlainFileCheck::Readable: break;
    case PlainFileCheck::NotAFile: return context.fail(path, "cannot read " + quoted);
    case PlainFileCheck::TooLarge: return context.fail(path, quoted + " is larger than 1 MiB");
  }
  std::ifstream file(resolved, std::ios::binary);
  if (!file) return context.fail(path, "cannot read " + quoted);
  out.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

template <typename Enum, std::size_t N>
bool readChoice(Context& context, const Json& json, const std::string& path,
                const std::pair<const char*, Enum> (&choices)[N], Enum& out) {
  const std::string text = json.is_string() ? json.get<std::string>() : std::string();
  for (const auto& [name, value] : choices) {
    if (json.is_string() && text == name) {
      out = value;
      return true;
    }
  }
  std::string list;
  for (const auto& choice : choices) list += std::string(list.empty() ? "" : ", ") + "\"" + choice.first + "\"";
  return context.fail(path, "expected one of " + list);
}

// --- Records ------------------------------------------------------------------

template <typename T>
struct MemberOf;
template <typename Record, typename Field>
struct MemberOf<Field Record::*> {
  using RecordType = Record;
};

/// A field rule's reader that reads into one member with `Read`.
template <auto Member, auto Read>
bool readMember(Context& context, const Json& json, const std::string& path,
                typename MemberOf<decltype(Member)>::RecordType& record) {
  return Read(context, json, path, record.*Member);
}

template <std::size_t Width>
bool readTextOf(Context& context, const Json& json, const std::string& path, std::string& out) {
  return readText(context, json, path, Width, out);
}

template <typename Element, auto ReadElement>
bool readList(Context& context, const Json& json, const std::string& path, std::vector<Element>& out) {
  return readArray<Element>(context, json, path, out, ReadElement);
}

bool readOptionalByteValue(Context& context, const Json& json, const std::string& path, std::optional<int>& out) {
  int value = 0;
  if (!readByteValue(context, json, path, value)) return false;
  out = value;
  return true;
}

bool readOccurrence(Context& context, const Json& json, const std::string& path, int& out) {
  return readInt(context, json, path, 1, std::numeric_limits<int>::max(), out);
}

bool readFailureKind(Context& context, const Json& json, const std::string& path, FailureKind& out) {
  static constexpr std::pair<const char*, FailureKind> kKinds[] = {{"transport", FailureKind::Transport},
                                                                   {"scsiStatus", FailureKind::ScsiStatus}};
  return readChoice(context, json, path, kKinds, out);
}

bool readAspiState(Context& context, const Json& json, const std::string& path, AspiLayerState& out) {
  return readChoice(context, json, path, kAspiStateNames, out);
}

bool readHost(Context& context, const Json& json, const std::string& path, HostSystem& out) {
  static constexpr FieldRule<HostSystem> kRules[] = {
      {"name", readMember<&HostSystem::name, readTextOf<kHostTextWidth>>},
      {"release", readMember<&HostSystem::release, readTextOf<kHostTextWidth>>},
  };
  if (!readObject(context, json, path, kRules, out)) return false;
  if (out.name.empty()) return context.fail(fieldPath(path, "name"), "missing");
  return true;
}

/// A unit's name on a host without drive letters: a device name such as "sdb".
bool readUnitName(Context& context, const Json& json, const std::string& path, std::string& out) {
  if (!readText(context, json, path, kHostTextWidth, out)) return false;
  const bool wellFormed = !out.empty() && std::all_of(out.begin(), out.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
  });
  if (!wellFormed) return context.fail(path, "expected a device name such as \"sdb\"");
  return true;
}

bool readWindows(Context& context, const Json& json, const std::string& path, WindowsVersion& out) {
  static constexpr FieldRule<WindowsVersion> kRules[] = {
      {"nt", readMember<&WindowsVersion::nt, readBool>},
      {"major", readMember<&WindowsVersion::major, readByteValue>},
      {"minor", readMember<&WindowsVersion::minor, readByteValue>},
  };
  return readObject(context, json, path, kRules, out);
}

/// An inquiry identity; fields not given keep what `out` held.
bool readInquiry(Context& context, const Json& json, const std::string& path, ReaderInquiry& out) {
  static constexpr FieldRule<ReaderInquiry> kRules[] = {
      {"vendor", readMember<&ReaderInquiry::vendor, readTextOf<identity_width::kInquiryVendor>>},
      {"product", readMember<&ReaderInquiry::product, readTextOf<identity_width::kInquiryProduct>>},
      {"revision", readMember<&ReaderInquiry::revision, readTextOf<identity_width::kInquiryRevision>>},
  };
  return readObject(context, json, path, kRules, out);
}

/// What `identifyInquiry` does not give comes from the reader's inquiry, so
/// it is read after it.
bool readIdentifyInquiry(Context& context, const Json& json, const std::string& path, ReaderDescription& out) {
  ReaderInquiry identity = out.inquiry;
  if (!readInquiry(context, json, path, identity)) return false;
  out.identifyInquiry = identity;
  return true;
}

bool readIdentify(Context& context, const Json& json, const std::string& path, std::optional<IdentifyBlock>& out) {
  IdentifyBlock block{};
  if (!readFixedBytes(context, json, path, block)) return false;
  out = block;
  return true;
}

using StatusList = std::vector<Byte>;

bool readAnswers(Context& context, const Json& json, const std::string& path, ReaderDescription& out) {
  struct Answers {
    StatusList jump, program, verify, msJump, msTransfer, msBack;
  };
  static constexpr FieldRule<Answers> kRules[] = {
      {"jump", readMember<&Answers::jump, readList<Byte, readStatusByte>>},
      {"program", readMember<&Answers::program, readList<Byte, readStatusByte>>},
      {"verify", readMember<&Answers::verify, readList<Byte, readStatusByte>>},
      {"msJump", readMember<&Answers::msJump, readList<Byte, readStatusByte>>},
      {"msTransfer", readMember<&Answers::msTransfer, readList<Byte, readStatusByte>>},
      {"msBack", readMember<&Answers::msBack, readList<Byte, readStatusByte>>},
  };
  Answers answers;
  if (!readObject(context, json, path, kRules, answers)) return false;
  out.answers = {answers.jump, answers.program, answers.verify};
  out.msAnswers = {answers.msJump, answers.msTransfer, answers.msBack};
  return true;
}

bool readRequestName(Context& context, const Json& json, const std::string& path, std::string& out) {
  const std::string name = json.is_string() ? json.get<std::string>() : std::string();
  const bool known = json.is_string() && std::any_of(kRequestNames.begin(), kRequestNames.end(),
                                                     [&name](const char* request) { return name == request; });
  if (!known) return context.fail(path, "expected a request name such as \"sendIspData\"");
  out = name;
  return true;
}

bool readFailure(Context& context, const Json& json, const std::string& path, InjectedFailure& out) {
  static constexpr FieldRule<InjectedFailure> kRules[] = {
      {"command", readMember<&InjectedFailure::command, readRequestName>},
      {"occurrence", readMember<&InjectedFailure::occurrence, readOccurrence>},
      {"kind", readMember<&InjectedFailure::kind, readFailureKind>},
  };
  out = InjectedFailure{};
  if (!readObject(context, json, path, kRules, out)) return false;
  if (out.command.empty()) return context.fail(fieldPath(path, "command"), "missing");
  return true;
}

using Skip = std::pair<std::uint32_t, std::uint32_t>;

bool readSkip(Context& context, const Json& json, const std::string& path, Skip& out) {
  if (!json.is_array() || json.size() != 2) return context.fail(path, "expected [offset, length]");
  return readU32(context, json[0], elementPath(path, 0), out.first) &&
         readU32(context, json[1], elementPath(path, 1), out.second);
}

bool readDriverName(Context& context, const Json& json, const std::string& path, std::string& out) {
  const std::string name = json.is_string() ? json.get<std::string>() : std::string();
  const bool known = json.is_string() && std::any_of(kSelfDriverNames.begin(), kSelfDriverNames.end(),
                                                     [&name](const char* driver) { return name == driver; });
  if (!known) return context.fail(path, "expected \"UDSKIO\", \"KVDKPDRV\", \"QM_URDR\" or \"KV20DISK\"");
  out = name;
  return true;
}

/// A recorded exchange: the request and, unless the transport failed it,
/// its answer.
bool readExchange(Context& context, const Json& json, const std::string& path, SessionExchange& out) {
  static constexpr FieldRule<SessionExchange> kRules[] = {
      {"request", [](Context& c, const Json& j, const std::string& p, SessionExchange& e) {
         return readRequestName(c, j, p, e.request.name);
       }},
      {"cdb", [](Context& c, const Json& j, const std::string& p, SessionExchange& e) {
         return readHexBytes(c, j, p, e.request.cdb);
       }},
      {"dataOut", [](Context& c, const Json& j, const std::string& p, SessionExchange& e) {
         return readHexBytes(c, j, p, e.request.dataOut);
       }},
      {"dataIn", [](Context& c, const Json& j, const std::string& p, SessionExchange& e) {
         return readHexBytes(c, j, p, e.answer.dataIn);
       }},
      {"status", [](Context& c, const Json& j, const std::string& p, SessionExchange& e) {
         return readStatusByte(c, j, p, e.answer.status);
       }},
      {"sense", [](Context& c, const Json& j, const std::string& p, SessionExchange& e) {
         return readHexBytes(c, j, p, e.answer.sense);
       }},
      {"transportFailure", [](Context& c, const Json& j, const std::string& p, SessionExchange& e) {
         return readBool(c, j, p, e.answer.transportFailure);
       }},
  };
  out = SessionExchange{};
  if (!readObject(context, json, path, kRules, out)) return false;
  if (out.request.name.empty()) return context.fail(fieldPath(path, "request"), "missing");
  if (!out.answer.transportFailure) return true;
  for (const char* field : {"dataIn", "status", "sense"}) {
    if (json.contains(field)) return context.fail(fieldPath(path, field), "given together with \"transportFailure\"");
  }
  return true;
}

bool readSession(Context& context, const Json& json, const std::string& path, std::optional<ReaderSession>& out) {
  ReaderSession session;
  if (!readArray<SessionExchange>(context, json, path, session, readExchange)) return false;
  out = std::move(session);
  return true;
}

// The reader fields that build the identify block; `identify` replaces them all.
constexpr const char* kIdentityFields[] = {"vendorId",      "productId",       "manufacturer", "product",
                                           "serial",        "identifyInquiry", "fwRevision",   "usb20FwRevision",
                                           "fwRevisionOrg", "hwRevision",      "msRevision",   "msLoaderRevision"};

bool readReaderFields(Context& context, const Json& json, const std::string& path, ReaderDescription& out) {
  using R = ReaderDescription;
  namespace width = identity_width;
  static constexpr FieldRule<R> kRules[] = {
      {"letters", readMember<&R::letters, readLetters>},
      {"unitNames", readMember<&R::unitNames, readList<std::string, readUnitName>>},
      {"units", readMember<&R::units, readOptionalByteValue>},
      {"inquiry", readMember<&R::inquiry, readInquiry>},
      {"vendorId", readMember<&R::vendorId, readHexId>},
      {"productId", readMember<&R::productId, readHexId>},
      {"manufacturer", readMember<&R::manufacturer, readTextOf<width::kManufacturer>>},
      {"product", readMember<&R::product, readTextOf<width::kProduct>>},
      {"serial", readMember<&R::serial, readTextOf<width::kSerial>>},
      {"identifyInquiry", readIdentifyInquiry},
      {"fwRevision", readMember<&R::fwRevision, readFixedBytes<8>>},
      {"usb20FwRevision", readMember<&R::usb20FwRevision, readFixedBytes<8>>},
      {"fwRevisionOrg", readMember<&R::fwRevisionOrg, readFixedBytes<4>>},
      {"hwRevision", readMember<&R::hwRevision, readFixedBytes<3>>},
      {"msRevision", readMember<&R::msRevision, readTextOf<width::kMsRevision>>},
      {"msLoaderRevision", readMember<&R::msLoaderRevision, readTextOf<width::kMsRevision>>},
      {"identify", readMember<&R::identify, readIdentify>},
      {"firmware", readMember<&R::firmware, readFile>},
      {"msFirmware", readMember<&R::msFirmware, readFile>},
      {"answers", readAnswers},
      {"failures", readMember<&R::failures, readList<InjectedFailure, readFailure>>},
      {"compareSkips", readMember<&R::compareSkips, readList<Skip, readSkip>>},
      {"aspiAdapter", readMember<&R::aspiAdapter, readByteValue>},
      {"aspiTargets", readMember<&R::aspiTargets, readList<int, readByteValue>>},
      {"session", readMember<&R::session, readSession>},
  };
  return readObject(context, json, path, kRules, out);
}

bool readReader(Context& context, const Json& json, const std::string& path, ReaderDescription& out) {
  out = ReaderDescription{};
  if (!readReaderFields(context, json, path, out)) return false;
  if (!out.unitNames.empty() && out.unitNames.size() != out.letters.size()) {
    return context.fail(fieldPath(path, "unitNames"), "expected one name per drive letter");
  }
  for (const char* field : kIdentityFields) {
    if (json.contains("identify") && json.contains(field)) {
      return context.fail(fieldPath(path, "identify"), std::string("given together with \"") + field + "\"");
    }
  }
  return true;
}

bool readMachineFields(Context& context, const Json& json, MachineDescription& out) {
  using M = MachineDescription;
  static constexpr FieldRule<M> kRules[] = {
      {"windows", readMember<&M::windows, readWindows>},
      {"host", readMember<&M::host, readHost>},
      {"date", readMember<&M::date, readDate>},
      {"drives", readMember<&M::drives, readLetters>},
      {"selfDrivers", readMember<&M::selfDrivers, readList<std::string, readDriverName>>},
      {"selfDriverDeviceCount", readMember<&M::selfDriverDeviceCount, readOptionalByteValue>},
      {"aspi", readMember<&M::aspi, readAspiState>},
      {"readers", readMember<&M::readers, readList<ReaderDescription, readReader>>},
  };
  return readObject(context, json, "", kRules, out);
}

/// Each drive letter belongs to one drive or one reader.
bool checkLettersUnique(Context& context, const MachineDescription& machine) {
  std::string owner[26];
  for (const char letter : machine.drives) owner[letter - 'A'] = "drives";
  for (std::size_t i = 0; i < machine.readers.size(); ++i) {
    const std::string path = fieldPath(elementPath("readers", i), "letters");
    for (const char letter : machine.readers[i].letters) {
      std::string& taken = owner[letter - 'A'];
      if (!taken.empty()) return context.fail(path, std::string("drive letter ") + letter + " is already in " + taken);
      taken = path;
    }
  }
  return true;
}

// --- Parsing with repeated fields caught ----------------------------------------

/// Follows the parser's events to name the path of a field that appears twice
/// in one object (the JSON library would keep only the last). It is a pass of
/// its own, before the document is built: the library's parser with a
/// callback searches the enclosing array after every object, which makes a
/// list of many small objects take time quadratic in its length.
class RepeatedFieldFinder : public nlohmann::json_sax<Json> {
 public:
  bool null() override { return countElement(); }
  bool boolean(bool) override { return countElement(); }
  bool number_integer(number_integer_t) override { return countElement(); }
  bool number_unsigned(number_unsigned_t) override { return countElement(); }
  bool number_float(number_float_t, const string_t&) override { return countElement(); }
  bool string(string_t&) override { return countElement(); }
  bool binary(binary_t&) override { return countElement(); }
  bool start_object(std::size_t) override {
    frames_.push_back({false, 0, {}, {}});
    return true;
  }
  bool key(string_t& name) override {
    noteKey(name);
    return true;
  }
  bool end_object() override { return endContainer(); }
  bool start_array(std::size_t) override {
    frames_.push_back({true, 0, {}, {}});
    return true;
  }
  bool end_array() override { return endContainer(); }
  // The parse that builds the document reports the error.
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

  const std::string& repeatedPath() const { return repeatedPath_; }

 private:
  struct Frame {
    bool isArray;
    std::size_t elements;
    std::string key;
    std::set<std::string> keys;
  };

  void noteKey(const std::string& key) {
    if (frames_.empty()) return;
    Frame& frame = frames_.back();
    if (!frame.keys.insert(key).second && repeatedPath_.empty()) repeatedPath_ = fieldPath(path(), key);
    frame.key = key;
  }

  bool countElement() {
    if (!frames_.empty() && frames_.back().isArray) ++frames_.back().elements;
    return true;
  }

  bool endContainer() {
    if (!frames_.empty()) frames_.pop_back();
    return countElement();
  }

  // The path of the innermost object, up to but not including its current key.
  std::string path() const {
    std::string text;
    for (std::size_t i = 0; i + 1 < frames_.size(); ++i) {
      text = frames_[i].isArray ? elementPath(text, frames_[i].elements) : fieldPath(text, frames_[i].key);
    }
    return text;
  }

  std::vector<Frame> frames_;
  std::string repeatedPath_;
};

std::string withoutLibraryPrefix(const std::string& message) {
  const auto end = message.find("] ");
  return end == std::string::npos ? message : message.substr(end + 2);
}

}  // namespace

MachineFileResult parseMachineFile(std::string_view text, const std::filesystem::path& folder) {
  MachineFileResult result;
  Context context{folder, {}};
  Json json;
  try {
    json = Json::parse(text.begin(), text.end());
  } catch (const Json::exception& error) {
    result.error = "machine file: not JSON: " + withoutLibraryPrefix(error.what());
    return result;
  }
  RepeatedFieldFinder finder;
  // The text parsed above, so this pass parses too.
  static_cast<void>(Json::sax_parse(text.begin(), text.end(), &finder));
  if (!finder.repeatedPath().empty()) {
    context.fail(finder.repeatedPath(), "given twice");
  } else if (!json.is_object()) {
    context.fail("", "expected a JSON object");
  } else {
    MachineDescription machine;
    if (readMachineFields(context, json, machine) && checkLettersUnique(context, machine)) result.machine = machine;
  }
  result.error = context.error;
  return result;
}

MachineFileResult loadMachineFile(const std::filesystem::path& path) {
  const std::string quoted = "\"" + path.string() + "\"";
  switch (checkPlainFile(path, kMachineFileMaxBytes)) {
    case PlainFileCheck::Readable: break;
    case PlainFileCheck::NotAFile: return {std::nullopt, "machine file: cannot read " + quoted};
    case PlainFileCheck::TooLarge: return {std::nullopt, "machine file: " + quoted + " is larger than 1 MiB"};
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return {std::nullopt, "machine file: cannot read " + quoted};
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return parseMachineFile(text, path.parent_path());
}

}  // namespace updater
