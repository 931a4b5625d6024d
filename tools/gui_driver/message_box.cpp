#include "message_box.h"

#include <thread>
#include <vector>

#include "icon_colour.h"
#include "screen_capture.h"
#include "window_texts.h"

namespace gui_driver {
namespace {

constexpr int kTextId = 0xFFFF;
constexpr auto kPollInterval = std::chrono::milliseconds(10);
// The box paints when its loop finds its queue empty, right after it answers;
// this gives the painting time to reach the screen.
constexpr auto kPaintSettle = std::chrono::milliseconds(150);
// Up to about 1.2 s: on a loaded machine a box may paint late, and only a box
// without an icon pays for the whole wait.
constexpr int kIconLooks = 20;
constexpr auto kIconLookInterval = std::chrono::milliseconds(60);

struct ChildSearch {
  std::vector<HWND> buttons;
  HWND icon = nullptr;
};

BOOL CALLBACK visitChild(HWND child, LPARAM context) {
  auto& search = *reinterpret_cast<ChildSearch*>(context);
  if (!IsWindowVisible(child)) return TRUE;
  const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
  const std::string name = className(child);
  if (name == "Button") search.buttons.push_back(child);
  if (name == "Static" && (style & SS_TYPEMASK) == SS_ICON) search.icon = child;
  return TRUE;
}

ChildSearch findChildren(HWND box) {
  ChildSearch search;
  EnumChildWindows(box, visitChild, reinterpret_cast<LPARAM>(&search));
  return search;
}

// True once the box is visible and its thread answers (so it runs the box's
// loop, which paints it).
bool waitUntilShown(HWND box, Clock::time_point deadline) {
  while (Clock::now() < deadline) {
    DWORD_PTR ignored = 0;
    if (IsWindowVisible(box) && sendWithTimeout(box, WM_NULL, 0, 0, ignored, 200)) {
      std::this_thread::sleep_for(kPaintSettle);
      return true;
    }
    if (!IsWindow(box)) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return false;
}

}  // namespace

std::string readIcon(HWND box) {
  const ChildSearch children = findChildren(box);
  IconKind kind = IconKind::None;
  // An icon control that shows no icon colour may not have painted yet (Wine
  // keeps one, empty, in a box without an icon): look a few more times.
  for (int look = 0; children.icon != nullptr && kind == IconKind::None && look < kIconLooks; ++look) {
    if (look > 0) std::this_thread::sleep_for(kIconLookInterval);
    const auto image = captureWindow(children.icon);
    if (image) kind = classifyIcon(*image);
  }
  return std::string(iconName(kind));
}

std::optional<MessageBoxSeen> readMessageBox(HWND box, Clock::time_point deadline, std::string& error) {
  if (!waitUntilShown(box, deadline)) {
    error = "a message box was not shown";
    return std::nullopt;
  }
  auto caption = readWindowText(box);
  auto text = readControlText(box, kTextId);
  if (!caption || !text) {
    error = "a message box could not be read";
    return std::nullopt;
  }
  return MessageBoxSeen{readIcon(box), *caption, *text};
}

bool dismissMessageBox(HWND box, Clock::time_point deadline, std::string& error) {
  const ChildSearch children = findChildren(box);
  if (children.buttons.size() != 1) {
    error = "a message box has " + std::to_string(children.buttons.size()) + " buttons, not one";
    return false;
  }
  // Posted: the program's reply to the box runs on once the box closes.
  PostMessageA(children.buttons.front(), BM_CLICK, 0, 0);
  while (IsWindow(box)) {
    if (Clock::now() >= deadline) {
      error = "a message box stayed after its button was clicked";
      return false;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

}  // namespace gui_driver
