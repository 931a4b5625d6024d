#include "icon_check.h"

#include <windows.h>

#include <ostream>
#include <string>
#include <thread>

#include "message_box.h"
#include "window_texts.h"

namespace gui_driver {
namespace {

struct IconCase {
  UINT style;
  const char* expected;
};

constexpr IconCase kIconCases[] = {
    {MB_ICONHAND, "stop"},
    {MB_ICONEXCLAMATION, "warning"},
    {MB_ICONINFORMATION, "information"},
    {0, "none"},
};

constexpr auto kBoxTimeout = std::chrono::seconds(20);
constexpr auto kPollInterval = std::chrono::milliseconds(10);
const char* const kCheckCaption = "gui-driver icon check";

BOOL CALLBACK visitWindow(HWND window, LPARAM context) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == GetCurrentProcessId() && className(window) == "#32770" &&
      storedWindowText(window) == kCheckCaption) {
    *reinterpret_cast<HWND*>(context) = window;
  }
  return TRUE;
}

HWND waitForBox(Clock::time_point deadline) {
  HWND box = nullptr;
  while (box == nullptr && Clock::now() < deadline) {
    EnumWindows(visitWindow, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) std::this_thread::sleep_for(kPollInterval);
  }
  return box;
}

// Shows one box on a thread of its own and reads its icon; "" when the box
// could not be read or answered.
std::string readOwnBox(UINT style) {
  std::thread shower([style] { MessageBoxA(nullptr, "icon check", kCheckCaption, MB_OK | style); });
  const auto deadline = Clock::now() + kBoxTimeout;
  const HWND box = waitForBox(deadline);
  std::string error;
  const auto seen = box != nullptr ? readMessageBox(box, deadline, error) : std::nullopt;
  const bool dismissed = box != nullptr && dismissMessageBox(box, deadline, error);
  // A box that could not be dismissed would keep the thread forever.
  if (!dismissed) {
    shower.detach();
    return "";
  }
  shower.join();
  return seen ? seen->icon : "";
}

}  // namespace

bool checkIconReading(std::ostream& out) {
  bool allRead = true;
  for (const auto& row : kIconCases) {
    const std::string read = readOwnBox(row.style);
    out << "icon " << row.expected << ": read as " << (read.empty() ? "(no box)" : read) << '\n';
    allRead = allRead && read == row.expected;
  }
  return allRead;
}

}  // namespace gui_driver
