#include "window_texts.h"

#include "platform/edit_control_text.h"

namespace gui_driver {

namespace {

// The program's texts are single-byte characters in the system's code page;
// the window keeps them as UTF-16 and this turns them back.
std::string programBytes(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

bool sendWideWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kReadTimeoutMs,
                             &result) != 0;
}

}  // namespace

bool sendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result,
                     UINT timeoutMs) {
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &result) !=
         0;
}

// Texts are read in UTF-16: Wine hands some text messages of another process
// (the list's CB_GETLBTEXT) to an ANSI caller still in UTF-16.
std::optional<std::string> readWindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!sendWideWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, length)) return std::nullopt;
  // The length is a hint (it may count a conversion too long), so the buffer
  // has room beyond it and the copied count decides.
  std::wstring text(static_cast<std::size_t>(length) + 64, L'\0');
  DWORD_PTR copied = 0;
  if (!sendWideWithTimeout(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                           reinterpret_cast<LPARAM>(text.data()), copied)) {
    return std::nullopt;
  }
  text.resize(static_cast<std::size_t>(copied));
  return programBytes(text);
}

std::optional<std::string> readControlText(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return std::nullopt;
  return readWindowText(control);
}

std::optional<std::string> readProgramText(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return std::nullopt;
  auto text = readWindowText(control);
  const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
  const bool multiLineEdit = className(control) == "Edit" && (style & ES_MULTILINE) != 0;
  if (text && multiLineEdit) text = updater::fromEditControlText(*text);
  return text;
}

std::string storedWindowText(HWND window) {
  char text[512] = {};
  const int length = GetWindowTextA(window, text, static_cast<int>(sizeof text));
  return std::string(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::string className(HWND window) {
  char name[64] = {};
  const int length = GetClassNameA(window, name, static_cast<int>(sizeof name));
  return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

namespace {

std::optional<std::string> readListItem(HWND combo, WPARAM index) {
  DWORD_PTR length = 0;
  if (!sendWideWithTimeout(combo, CB_GETLBTEXTLEN, index, 0, length) || length == static_cast<DWORD_PTR>(CB_ERR)) {
    return std::nullopt;
  }
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!sendWideWithTimeout(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()), copied) ||
      copied == static_cast<DWORD_PTR>(CB_ERR)) {
    return std::nullopt;
  }
  text.resize(static_cast<std::size_t>(copied));
  return programBytes(text);
}

}  // namespace

std::optional<ListState> readList(HWND combo) {
  DWORD_PTR count = 0;
  DWORD_PTR selected = 0;
  if (!sendWithTimeout(combo, CB_GETCOUNT, 0, 0, count) || !sendWithTimeout(combo, CB_GETCURSEL, 0, 0, selected)) {
    return std::nullopt;
  }
  ListState list;
  list.selected = static_cast<int>(static_cast<LRESULT>(selected));
  for (DWORD_PTR index = 0; index < count; ++index) {
    auto item = readListItem(combo, static_cast<WPARAM>(index));
    if (!item) return std::nullopt;
    list.items.push_back(*item);
  }
  return list;
}

}  // namespace gui_driver
