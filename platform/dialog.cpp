// The message box on standard error and the cursor as process state.
#include "platform/dialog.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/last_error.h"
#include "platform/terminal.h"
#ifdef _WIN32
#include "platform/win32/system.h"
#else
#include "platform/posix/system.h"
#endif

#ifdef _WIN32
// The system part of this service: the system's box and cursors.
#include "platform/win32/dialog.inc"
#endif

namespace plat {
namespace {

struct button {
  const char* label;
  int id;
};

// The buttons of each box type, in the order shown. ORDER: MB_OK .. MB_RETRYCANCEL
constexpr button box_buttons[][3] = {
    {{"OK", IDOK}},
    {{"OK", IDOK}, {"Cancel", IDCANCEL}},
    {{"Abort", IDABORT}, {"Retry", IDRETRY}, {"Ignore", IDIGNORE}},
    {{"Yes", IDYES}, {"No", IDNO}, {"Cancel", IDCANCEL}},
    {{"Yes", IDYES}, {"No", IDNO}},
    {{"Retry", IDRETRY}, {"Cancel", IDCANCEL}},
};
static_assert(std::size(box_buttons) == MB_RETRYCANCEL + 1);

std::atomic<message_box_hook> box_hook{nullptr};

size_t button_count(const button* buttons) {
  size_t count = 0;
  while (count < 3 && buttons[count].label != nullptr) ++count;
  return count;
}

// The button whose label begins with the answer's first letter, or -1.
int chosen_button(const button* buttons, size_t count, const std::string& answer) {
  size_t start = answer.find_first_not_of(" \t");
  if (start == std::string::npos) return -1;
  char letter = static_cast<char>(answer[start] | 0x20);
  for (size_t i = 0; i < count; ++i) {
    if ((buttons[i].label[0] | 0x20) == letter) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  UINT kind = type & MB_TYPEMASK;
  if (kind >= std::size(box_buttons)) return detail::fail(ERROR_INVALID_PARAMETER);
  if (message_box_hook hook = box_hook.load()) return hook(owner, text, caption, type);
#ifdef _WIN32
  return detail::system_message_box(text, caption, type);
#endif
  const button* buttons = box_buttons[kind];
  size_t count = button_count(buttons);
  size_t preset = (type & MB_DEFMASK) >> 8;
  if (preset >= count) preset = 0;
  std::string shown = std::string(caption != nullptr ? caption : "Error") + "\n" +
                      (text != nullptr ? text : "") + "\n";
  std::string choices = "[";
  for (size_t i = 0; i < count; ++i) {
    choices += std::string(i ? "/" : "") + buttons[i].label;
  }
  choices += std::string("] (") + buttons[preset].label + ") ";
  detail::write_to_terminal(shown);
  if (!detail::terminal_attached()) {
    detail::write_to_terminal(choices + "-> " + buttons[preset].label + "\n");
    return buttons[preset].id;
  }
  for (;;) {
    detail::write_to_terminal(choices);
    std::string answer;
    if (!detail::read_terminal_line(answer)) return buttons[preset].id;  // input closed
    if (answer.find_first_not_of(" \t") == std::string::npos) return buttons[preset].id;
    int chosen = chosen_button(buttons, count, answer);
    if (chosen >= 0) return buttons[chosen].id;
  }
}

void set_message_box_hook(message_box_hook hook) {
  box_hook.store(hook);
}

#ifndef _WIN32  // Windows has the cursor calls
// The cursor. System cursors are distinct static objects; the arrow is current
// at start.

namespace {

char arrow_cursor, wait_cursor, ibeam_cursor, starting_cursor;

std::atomic<HCURSOR> current_cursor{reinterpret_cast<HCURSOR>(&arrow_cursor)};

}  // namespace

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  struct system_cursor {
    LPCSTR name;
    char* object;
  };
  const system_cursor cursors[] = {{IDC_ARROW, &arrow_cursor},
                                   {IDC_WAIT, &wait_cursor},
                                   {IDC_IBEAM, &ibeam_cursor},
                                   {IDC_APPSTARTING, &starting_cursor}};
  if (instance == nullptr) {
    for (const system_cursor& cursor : cursors) {
      if (cursor.name == name) return reinterpret_cast<HCURSOR>(cursor.object);
    }
  }
  detail::fail(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  return current_cursor.exchange(cursor);
}
HCURSOR GetCursor() {
  return current_cursor.load();
}
BOOL DestroyCursor(HCURSOR cursor) {
  return cursor != nullptr ? TRUE : detail::fail(ERROR_INVALID_PARAMETER);
}
void reset_cursor() {
  current_cursor.store(reinterpret_cast<HCURSOR>(&arrow_cursor));
}

#endif

}  // namespace plat
