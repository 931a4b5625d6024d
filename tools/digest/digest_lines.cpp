#include "digest_lines.h"

#include <nlohmann/json.hpp>

namespace updater::digest {
namespace {

using Json = nlohmann::ordered_json;

std::string dumpLine(const Json& json) {
  // A text that is not valid UTF-8 would be a slip of the caller; replacing
  // it keeps the line and lets the comparison show the difference.
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json listJson(const ListItems& list) {
  Json json;
  json["items"] = list.items;
  json["selected"] = list.selected;
  return json;
}

}  // namespace

std::string actionLine(std::string_view name) {
  Json json;
  json["action"] = name;
  return dumpLine(json);
}

std::string messageBoxLine(std::string_view icon, std::string_view caption, std::string_view text) {
  Json box;
  box["icon"] = icon;
  box["caption"] = caption;
  box["text"] = text;
  Json json;
  json["messageBox"] = std::move(box);
  return dumpLine(json);
}

std::string controlsLine(const ControlTexts& texts) {
  Json controls;
  controls["1021"] = texts.reportArea;
  controls["1024"] = texts.deviceName;
  controls["1028"] = texts.driverLabel;
  Json json;
  json["controls"] = std::move(controls);
  return dumpLine(json);
}

std::string listsLine(const ListStates& lists) {
  Json both;
  both["1030"] = listJson(lists.deviceList);
  both["1027"] = listJson(lists.driverList);
  Json json;
  json["lists"] = std::move(both);
  return dumpLine(json);
}

}  // namespace updater::digest
