#include "hostile_case.h"

#include <fstream>
#include <set>
#include <stdexcept>

namespace updater::hostile {
namespace {

using Json = nlohmann::json;

[[noreturn]] void bad(const std::string& where, const std::string& what) {
  throw std::runtime_error("case.json: " + where + ": " + what);
}

// A misspelt key must not pass as an absent one.
void onlyKeys(const Json& object, const std::string& where, const std::set<std::string>& known) {
  if (!object.is_object()) bad(where, "expected an object");
  for (const auto& item : object.items()) {
    if (!known.contains(item.key())) bad(where + "." + item.key(), "unknown key");
  }
}

std::vector<std::string> stringList(const Json& json, const std::string& where) {
  if (!json.is_array()) bad(where, "expected an array of texts");
  std::vector<std::string> list;
  for (const auto& item : json) {
    if (!item.is_string()) bad(where, "expected an array of texts");
    list.push_back(item.get<std::string>());
  }
  return list;
}

unsigned modeOf(const Json& json, const std::string& where) {
  if (!json.is_string()) bad(where, "expected octal text such as \"0444\"");
  const std::string text = json.get<std::string>();
  std::size_t used = 0;
  const unsigned long mode = std::stoul(text, &used, 8);
  if (used != text.size() || mode > 07777) bad(where, "expected octal text such as \"0444\"");
  return static_cast<unsigned>(mode);
}

MadeEntry readMadeEntry(const Json& json, const std::string& where) {
  onlyKeys(json, where, {"path", "parts", "size", "directory", "fifo", "symlink", "remove", "mode"});
  MadeEntry entry;
  if (!json.contains("path") || !json["path"].is_string()) bad(where + ".path", "expected a text");
  entry.path = json["path"].get<std::string>();
  int kinds = 0;
  if (json.contains("parts")) {
    entry.kind = MadeEntry::Kind::File;
    entry.parts = json["parts"];
    if (!entry.parts.is_array()) bad(where + ".parts", "expected an array");
    ++kinds;
  }
  if (json.contains("size")) {
    if (!json["size"].is_number_unsigned()) bad(where + ".size", "expected a byte count");
    entry.size = json["size"].get<std::uint64_t>();
    if (entry.kind != MadeEntry::Kind::File) {
      entry.kind = MadeEntry::Kind::File;
      entry.parts = Json::array();
      ++kinds;
    }
  }
  // The kinds that a flag names.
  constexpr std::pair<const char*, MadeEntry::Kind> kFlags[] = {
      {"directory", MadeEntry::Kind::Directory},
      {"fifo", MadeEntry::Kind::Fifo},
      {"remove", MadeEntry::Kind::Remove},
  };
  for (const auto& [flag, kind] : kFlags) {
    if (!json.value(flag, false)) continue;
    entry.kind = kind;
    ++kinds;
  }
  if (json.contains("symlink")) {
    if (!json["symlink"].is_string()) bad(where + ".symlink", "expected the link's target");
    entry.kind = MadeEntry::Kind::Symlink;
    entry.target = json["symlink"].get<std::string>();
    ++kinds;
  }
  if (json.contains("mode")) entry.mode = modeOf(json["mode"], where + ".mode");
  if (kinds > 1) bad(where, "makes more than one kind of entry");
  if (kinds == 0 && !entry.mode) bad(where, "makes nothing");
  return entry;
}

Expectation readExpectation(const Json& json) {
  const std::string where = "expect";
  onlyKeys(json, where,
           {"exitCode", "stderr", "boxes", "summary", "statusLog", "controls", "end", "serialFile", "mayRemove"});
  Expectation expect;
  expect.exitCode = json.value("exitCode", 0);
  expect.standardError = json.value("stderr", std::string());
  if (json.contains("boxes")) {
    expect.boxes = json["boxes"];
    if (!expect.boxes.is_array()) bad(where + ".boxes", "expected an array");
    for (const auto& box : expect.boxes) onlyKeys(box, where + ".boxes[]", {"icon", "caption", "text"});
  }
  if (json.contains("summary")) expect.summaryLines = stringList(json["summary"], where + ".summary");
  if (json.contains("statusLog")) expect.statusLogLines = stringList(json["statusLog"], where + ".statusLog");
  if (json.contains("controls")) {
    if (!json["controls"].is_object()) bad(where + ".controls", "expected texts by control id");
    for (const auto& item : json["controls"].items()) {
      expect.controls[std::stoi(item.key())] = item.value().get<std::string>();
    }
  }
  if (json.contains("end")) {
    expect.end = json["end"];
    if (!expect.end.is_object()) bad(where + ".end", "expected an object");
  }
  if (json.contains("serialFile")) {
    const Json& serial = json["serialFile"];
    if (!serial.is_string()) bad(where + ".serialFile", "expected \"unchanged\" or the file's text");
    if (serial.get<std::string>() != "unchanged") expect.serialFile = serial.get<std::string>();
  }
  if (json.contains("mayRemove")) expect.mayRemove = stringList(json["mayRemove"], where + ".mayRemove");
  return expect;
}

}  // namespace

HostileCase loadCase(const std::filesystem::path& casesFolder, const std::string& name) {
  HostileCase hostile;
  hostile.name = name;
  hostile.folder = casesFolder / name;
  std::ifstream file(hostile.folder / "case.json");
  if (!file) bad(name, "missing");
  const Json json = Json::parse(file);
  onlyKeys(json, "", {"about", "machine", "actions", "make", "notAsRoot", "expect"});
  hostile.about = json.value("about", std::string());
  if (hostile.about.empty()) bad("about", "say what the case is about");
  if (json.contains("machine")) hostile.machine = json["machine"];
  if (json.contains("actions")) hostile.actions = stringList(json["actions"], "actions");
  if (json.contains("make")) {
    if (!json["make"].is_array()) bad("make", "expected an array");
    for (std::size_t i = 0; i < json["make"].size(); ++i) {
      hostile.made.push_back(readMadeEntry(json["make"][i], "make[" + std::to_string(i) + "]"));
    }
  }
  hostile.notAsRoot = json.value("notAsRoot", std::string());
  hostile.expect = readExpectation(json.value("expect", Json::object()));
  return hostile;
}

}  // namespace updater::hostile
