// Modal dialogs from in-memory templates: controls, WM_INITDIALOG, the
// dialog keys and the ways a dialog ends.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/user.h"

using namespace plat;

namespace {

// Builds a template by hand: header, no menu, standard class, title, font,
// then the controls on 4-byte boundaries.
class TemplateBytes {
 public:
  TemplateBytes(DWORD style, short cx, short cy, const char* title) {
    bytes_.reserve(256);  // also keeps GCC 12 from a false overflow warning on the first insert
    DLGTEMPLATE header{style | DS_SETFONT, 0, 0, 0, 0, cx, cy};
    put(&header, sizeof header);
    word(0);
    word(0);
    text(title);
    word(8);
    text("Helv");
  }
  void control(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
               const char* title) {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
    DLGITEMTEMPLATE item{style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
    put(&item, sizeof item);
    word(0xFFFF);
    word(atom);
    text(title);
    word(0);
    WORD count = 0;
    std::memcpy(&count, bytes_.data() + 8, 2);
    ++count;
    std::memcpy(bytes_.data() + 8, &count, 2);
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

 private:
  void put(const void* p, size_t n) {
    auto* b = static_cast<const unsigned char*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void word(WORD w) { put(&w, 2); }
  void text(const char* t) {
    for (; *t; ++t) word(static_cast<unsigned char>(*t));
    word(0);
  }
  std::vector<unsigned char> bytes_;  // the heap block is aligned for any type
};

struct Seen {
  std::vector<std::string> events;
  RECT button{};
  std::string button_text;
  HWND focus_at_input = nullptr;
};

Seen& seen() {
  static Seen s;
  return s;
}

INT_PTR ending_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    seen().events.push_back("init " + std::to_string(lparam));
    HWND ok = GetDlgItem(dialog, IDOK);
    GetWindowRect(ok, &seen().button);
    char text[32];
    GetWindowTextA(ok, text, sizeof text);
    seen().button_text = text;
    return TRUE;
  }
  if (message == WM_COMMAND) {
    seen().events.push_back("command " + std::to_string(LOWORD(wparam)));
    if (GetDlgItem(dialog, LOWORD(wparam)) != nullptr) EndDialog(dialog, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

TemplateBytes yes_no_cancel() {
  TemplateBytes t(WS_POPUP | WS_CAPTION, 200, 60, "Question");
  t.control(0x0080, 10, 10, 150, 8, 0xFFFF, DLG_CLASS_STATIC, "Go on?");
  t.control(WS_TABSTOP, 10, 40, 50, 14, IDYES, DLG_CLASS_BUTTON, "&Yes");
  t.control(WS_TABSTOP | BS_DEFPUSHBUTTON, 65, 40, 50, 14, IDNO, DLG_CLASS_BUTTON, "&No");
  t.control(WS_TABSTOP, 120, 40, 50, 14, IDCANCEL, DLG_CLASS_BUTTON, "Cancel");
  return t;
}

std::vector<MSG>& planned_input() {
  static std::vector<MSG> input;
  return input;
}

// Queues the planned input once, as typed keys for the thread.
BOOL type_planned_input(HWND) {
  seen().focus_at_input = GetFocus();
  if (planned_input().empty()) return FALSE;
  for (const MSG& m : planned_input()) PostMessageA(nullptr, m.message, m.wParam, 0);
  planned_input().clear();
  return TRUE;
}

class window_dialog_test : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_window_system();
    seen() = Seen{};
    planned_input().clear();
    set_dialog_input_hook(&type_planned_input);
  }
  void TearDown() override {
    set_dialog_input_hook(nullptr);
    reset_window_system();
  }
  static void key(int vk) {
    planned_input().push_back(MSG{nullptr, WM_KEYDOWN, static_cast<WPARAM>(vk), 0, 0, {}});
  }
  static void typed(char c) {
    planned_input().push_back(MSG{nullptr, WM_CHAR, static_cast<WPARAM>(c), 0, 0, {}});
  }
};

}  // namespace

TEST_F(window_dialog_test, controls_come_from_the_template_in_dialog_units) {
  TemplateBytes t(WS_POPUP, 100, 50, "Title");
  t.control(WS_TABSTOP | BS_DEFPUSHBUTTON, 8, 16, 50, 14, IDOK, DLG_CLASS_BUTTON, "OK");
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), nullptr, ending_procedure, 77), IDOK);
  ASSERT_FALSE(seen().events.empty());
  EXPECT_EQ(seen().events.front(), "init 77");
  EXPECT_EQ(seen().button_text, "OK");
  // Base units of the 8-point font: 6 by 13 pixels.
  EXPECT_EQ(seen().button.right - seen().button.left, 50 * 6 / 4);
  EXPECT_EQ(seen().button.bottom - seen().button.top,
            (14 * 13 + 4) / 8);  // rounded, as MulDiv does
}

TEST_F(window_dialog_test, without_input_the_default_button_is_pressed) {
  TemplateBytes t = yes_no_cancel();
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), nullptr, ending_procedure, 0), IDNO);
  EXPECT_EQ(seen().events.back(), "command 7");
}

TEST_F(window_dialog_test, escape_sends_cancel) {
  key(VK_ESCAPE);
  TemplateBytes t = yes_no_cancel();
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), nullptr, ending_procedure, 0), IDCANCEL);
}

TEST_F(window_dialog_test, a_typed_mnemonic_presses_its_button) {
  typed('y');
  TemplateBytes t = yes_no_cancel();
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), nullptr, ending_procedure, 0), IDYES);
}

TEST_F(window_dialog_test, tab_moves_the_focus_and_enter_presses_the_focused_button) {
  // WM_INITDIALOG answered TRUE: the focus starts on the first tab stop (Yes).
  key(VK_TAB);
  key(VK_TAB);
  key(VK_RETURN);
  TemplateBytes t = yes_no_cancel();
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), nullptr, ending_procedure, 0), IDCANCEL);
}

TEST_F(window_dialog_test, the_owner_is_disabled_while_the_dialog_runs) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "Owner";
  RegisterClassA(&wc);
  HWND owner = CreateWindowExA(0, "Owner", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  static HWND watched;
  static BOOL enabled_inside;
  watched = owner;
  set_dialog_input_hook([](HWND) {
    enabled_inside = IsWindowEnabled(watched);
    return FALSE;
  });
  TemplateBytes t = yes_no_cancel();
  DialogBoxIndirectParamA(nullptr, t.get(), owner, ending_procedure, 0);
  EXPECT_FALSE(enabled_inside);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(window_dialog_test, a_dialog_nothing_can_end_ends_with_zero) {
  // A procedure that ignores every command: the default press changes
  // nothing, and the dialog does not wait for ever.
  TemplateBytes t = yes_no_cancel();
  EXPECT_EQ(
      DialogBoxIndirectParamA(
          nullptr, t.get(), nullptr,
          [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR { return m == WM_COMMAND ? TRUE : FALSE; },
          0),
      0);
}

TEST_F(window_dialog_test, the_system_menu_and_metrics) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "Menued";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "Menued", "", WS_SYSMENU, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  HMENU menu = GetSystemMenu(window, FALSE);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 7);
  EXPECT_TRUE(RemoveMenu(menu, SC_CLOSE, MF_BYCOMMAND));
  EXPECT_FALSE(RemoveMenu(menu, SC_CLOSE, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuItemCount(menu), 6);
  EXPECT_EQ(GetSystemMenu(window, FALSE), menu);
  EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(9999), 0);
  int before = message_beep_count();
  EXPECT_TRUE(MessageBeep(0));
  EXPECT_EQ(message_beep_count(), before + 1);
  EXPECT_NE(LoadIconA(nullptr, IDI_HAND), nullptr);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
}
