#pragma once

// The window digest: what the operator saw after each action, as JSON Lines.
// For each action one line {"action": NAME}, then one line per message box in
// the order they appeared, then one line with the texts of the report area,
// the device-name field and the driver label as the action left them, then
// one line with the items and selection of the two lists (both left out when
// the window is not there: the program refused to start, or the action
// closed it). The GUI driver writes it from the real windows, the
// window-digest tool from updater-cli's transcript, so that the two compare
// with a plain diff. Every text is UTF-8 in which each byte of the program's
// text stands for the character of the same code.

#include <string>
#include <string_view>
#include <vector>

namespace updater::digest {

/// The three texts a digest shows after an action, in UTF-8.
struct ControlTexts {
  std::string reportArea;   // control 1021
  std::string deviceName;   // control 1024
  std::string driverLabel;  // control 1028
};

/// A drop-down list as a digest shows it: its items in list order, in UTF-8,
/// and the position of the selected one (-1 for none).
struct ListItems {
  std::vector<std::string> items;
  int selected = -1;
};

/// The two lists a digest shows after an action.
struct ListStates {
  ListItems deviceList;  // "Device Sel", control 1030
  ListItems driverList;  // "Driver Select", control 1027
};

/// Each function gives one line of the digest without its line feed.
std::string actionLine(std::string_view name);
std::string messageBoxLine(std::string_view icon, std::string_view caption, std::string_view text);
std::string controlsLine(const ControlTexts& texts);
std::string listsLine(const ListStates& lists);

}  // namespace updater::digest
