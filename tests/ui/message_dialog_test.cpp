// MESSAGE: the buttons, the template built in memory, the dialog and its
// result.
#include "ui/message_dialog.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "services/heap.h"
#include "tests/ui/ui_fixture.h"
#include "ui/dialog_units.h"

namespace {

using namespace plat;

// A dialog template read back independently of the writer.
struct ParsedControl {
  DWORD style;
  short x, y, cx, cy;
  WORD id;
  std::string class_name;
  std::string title;
};
struct ParsedTemplate {
  DWORD style;
  WORD count;
  short cx, cy;
  std::string title;
  WORD points;
  std::string face;
  std::vector<ParsedControl> controls;
};

ParsedTemplate parse(const std::uint8_t* p) {
  auto word = [&p]() {
    WORD w;
    std::memcpy(&w, p, 2);
    p += 2;
    return w;
  };
  auto dword = [&word]() { return DWORD{word()} | (DWORD{word()} << 16); };
  auto text = [&word]() {
    std::string s;
    for (WORD c = word(); c != 0; c = word()) s += static_cast<char>(c);
    return s;
  };
  const std::uint8_t* start = p;
  ParsedTemplate t{};
  t.style = dword();
  EXPECT_EQ(dword(), 0u);  // extended style
  t.count = word();
  EXPECT_EQ(word(), 0);  // x
  EXPECT_EQ(word(), 0);  // y
  t.cx = static_cast<short>(word());
  t.cy = static_cast<short>(word());
  EXPECT_EQ(word(), 0);  // no menu
  EXPECT_EQ(word(), 0);  // the standard dialog class
  t.title = text();
  t.points = word();
  t.face = text();
  for (WORD i = 0; i < t.count; ++i) {
    EXPECT_EQ((p - start) % 2, 0);
    while ((p - start) % 4 != 0) ++p;
    ParsedControl c{};
    c.style = dword();
    EXPECT_EQ(dword(), 0u);
    c.x = static_cast<short>(word());
    c.y = static_cast<short>(word());
    c.cx = static_cast<short>(word());
    c.cy = static_cast<short>(word());
    c.id = word();
    c.class_name = text();
    c.title = text();
    EXPECT_EQ(word(), 0);  // no creation data
    t.controls.push_back(c);
  }
  return t;
}

// The template MESSAGE builds for these arguments.
ParsedTemplate template_for(const char* text, const char* caption, const char* buttons,
                            std::int32_t default_button, bool has_icon = false, int style = 0) {
  ui::ButtonPlan plan =
      ui::plan_buttons(buttons, static_cast<std::uint32_t>(std::strlen(buttons)), default_button);
  HFONT font = ui::create_dialog_font();
  ui::DialogUnits units = ui::measure_dialog_units(font);
  ui::MessageLayout layout = ui::layout_message(text, has_icon, plan.count, font, units);
  ui::DialogTemplate built =
      ui::build_message_template(text, caption, layout, plan, units, style != 0);
  ParsedTemplate parsed = parse(built.bytes);
  svc::release(built.bytes);
  ui::release_plan(plan);
  DeleteObject(font);
  return parsed;
}

std::int32_t message(const char* text, const char* caption, const char* icon, const char* buttons,
                     std::int32_t default_button, std::int32_t style = 0) {
  auto n = [](const char* s) { return static_cast<std::uint32_t>(std::strlen(s)); };
  return ui::message_box(text, n(text), caption, n(caption), icon, n(icon), buttons, n(buttons),
                         default_button, style);
}

constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kDefault = kButton | BS_DEFPUSHBUTTON;

// What the dialog looked like when it asked for input.
struct Shown {
  std::string title;
  std::string text;
  int text_height = 0;
  std::vector<std::string> buttons;
  HWND focus_button = nullptr;
  bool focus_is_default = false;
  RECT where{};
  HICON icon = nullptr;
  int system_menu_items = -1;
};
Shown& shown() {
  static Shown s;
  return s;
}
std::vector<MSG>& planned() {
  static std::vector<MSG> keys;
  return keys;
}

BOOL look_and_type(HWND dialog) {
  Shown& s = shown();
  char text[512];
  GetWindowTextA(dialog, text, sizeof text);
  s.title = text;
  HWND label = GetDlgItem(dialog, ui::message_text_id);
  GetWindowTextA(label, text, sizeof text);
  s.text = text;
  RECT r{};
  GetClientRect(label, &r);
  s.text_height = r.bottom;
  s.buttons.clear();
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM) {
        char name[16];
        char caption[64];
        GetClassNameA(child, name, sizeof name);
        GetWindowTextA(child, caption, sizeof caption);
        if (std::string(name) == "button") shown().buttons.push_back(caption);
        return TRUE;
      },
      0);
  s.focus_button = GetFocus();
  s.focus_is_default = (GetWindowLongPtrA(s.focus_button, GWL_STYLE) & BS_DEFPUSHBUTTON) != 0;
  GetWindowRect(dialog, &s.where);
  s.icon = reinterpret_cast<HICON>(
      SendMessageA(GetDlgItem(dialog, ui::message_icon_id), STM_GETICON, 0, 0));
  s.system_menu_items = GetMenuItemCount(GetSystemMenu(dialog, FALSE));
  if (planned().empty()) return FALSE;  // the default button is pressed
  for (const MSG& m : planned()) PostMessageA(nullptr, m.message, m.wParam, 0);
  planned().clear();
  return TRUE;
}

class message_dialog_test : public ui_test::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    shown() = Shown{};
    planned().clear();
    set_dialog_input_hook(&look_and_type);
  }
  static void key(int vk) {
    planned().push_back(MSG{nullptr, WM_KEYDOWN, static_cast<WPARAM>(vk), 0, 0, {}});
  }
  static void typed(char c) {
    planned().push_back(MSG{nullptr, WM_CHAR, static_cast<WPARAM>(c), 0, 0, {}});
  }
};

}  // namespace

TEST_F(message_dialog_test, done_shows_one_default_ok_button_and_returns_one) {
  EXPECT_EQ(message("Done", "Title", "", "", 0), 1);
  EXPECT_EQ(shown().title, "Title");
  EXPECT_EQ(shown().text, "Done");
  EXPECT_EQ(shown().buttons, (std::vector<std::string>{"OK"}));
  EXPECT_TRUE(shown().focus_is_default);
  EXPECT_EQ(shown().system_menu_items, 1);  // only Move is left
}

TEST_F(message_dialog_test, the_template_of_done) {
  // Dialog font 6 x 13 pixels; margin 5 units = 8 px; text "Done" 24 + 10 px;
  // the content is at least 45 units (74 px) high; one button row of 50
  // units (75 px) widens the content to 8 + 75 + 16 = 99 px.
  ParsedTemplate t = template_for("Done", "Title", "", 0);
  EXPECT_EQ(t.style, 0x90C800C0u);
  EXPECT_EQ(t.title, "Title");
  EXPECT_EQ(t.points, 8);
  EXPECT_EQ(t.face, "Helv");
  EXPECT_EQ(t.cx, 99 * 4 / 6);
  EXPECT_EQ(t.cy, 74 * 8 / 13 + 5 + 14);
  ASSERT_EQ(t.count, 2);
  const ParsedControl& text = t.controls[0];
  EXPECT_EQ(text.class_name, "static");
  EXPECT_EQ(text.style, WS_CHILD | WS_VISIBLE | SS_NOPREFIX);
  EXPECT_EQ(text.id, 0xFFFF);
  EXPECT_EQ(text.title, "Done");
  EXPECT_EQ(text.x, 8 * 4 / 6);
  EXPECT_EQ(text.y, (74 - 13) / 2 * 8 / 13);
  EXPECT_EQ(text.cx, 34 * 4 / 6);
  EXPECT_EQ(text.cy, 13 * 8 / 13);
  const ParsedControl& ok = t.controls[1];
  EXPECT_EQ(ok.class_name, "button");
  EXPECT_EQ(ok.style, kDefault);
  EXPECT_EQ(ok.id, IDOK);
  EXPECT_EQ(ok.title, "OK");
  EXPECT_EQ(ok.x, (t.cx - 50) / 2);
  EXPECT_EQ(ok.y, 74 * 8 / 13);
  EXPECT_EQ(ok.cx, 50);
  EXPECT_EQ(ok.cy, 14);
}

TEST_F(message_dialog_test, yes_and_no_with_no_the_default) {
  ParsedTemplate t = template_for("Go on?", "Q", "6", 4);
  ASSERT_EQ(t.count, 3);
  EXPECT_EQ(t.controls[1].title, "&Yes");
  EXPECT_EQ(t.controls[1].id, IDYES);
  EXPECT_EQ(t.controls[1].style, kButton);
  EXPECT_EQ(t.controls[2].title, "&No");
  EXPECT_EQ(t.controls[2].id, IDNO);
  EXPECT_EQ(t.controls[2].style, kDefault);
  EXPECT_EQ(t.controls[2].x - t.controls[1].x, 55);  // 50 wide, 5 apart
  typed('y');
  EXPECT_EQ(message("Go on?", "Q", "", "6", 4), 2);
  EXPECT_EQ(shown().buttons, (std::vector<std::string>{"&Yes", "&No"}));
  EXPECT_EQ(GetDlgCtrlID(shown().focus_button), 0);  // the dialog is gone
  EXPECT_EQ(message("Go on?", "Q", "", "6", 4), 4);  // Enter: the default, No
}

TEST_F(message_dialog_test, a_caption_list_answers_with_positions) {
  ParsedTemplate t = template_for("Keep it?", "Q", "Save|Discard|Cancel", 1);
  ASSERT_EQ(t.count, 4);
  EXPECT_EQ(t.controls[1].id, 100);
  EXPECT_EQ(t.controls[2].id, 101);
  EXPECT_EQ(t.controls[3].id, IDCANCEL);  // the standard caption takes the standard id
  EXPECT_EQ(t.controls[1].style, kDefault);
  key(VK_ESCAPE);
  EXPECT_EQ(message("Keep it?", "Q", "", "Save|Discard|Cancel", 1), 3);
  key(VK_TAB);
  key(VK_RETURN);
  EXPECT_EQ(message("Keep it?", "Q", "", "Save|Discard|Cancel", 1), 2);
  EXPECT_EQ(message("Keep it?", "Q", "", "Save|Discard|Cancel", 2), 2);  // the default
  EXPECT_EQ(message("Keep it?", "Q", "", "Save|Discard|Cancel", 0), 1);
}

TEST_F(message_dialog_test, escape_without_a_cancel_button_does_nothing) {
  key(VK_ESCAPE);
  EXPECT_EQ(message("Keep it?", "Q", "", "Save|Discard", 2), 2);  // then the default
}

TEST_F(message_dialog_test, empty_captions_in_a_list_are_skipped) {
  ParsedTemplate t = template_for("x", "Q", "Save||Cancel", 0);
  ASSERT_EQ(t.count, 3);
  EXPECT_EQ(t.controls[1].title, "Save");
  EXPECT_EQ(t.controls[2].title, "Cancel");
  EXPECT_EQ(message("x", "Q", "", "Save||Cancel", 2), 2);
}

TEST_F(message_dialog_test, more_than_eight_captions_give_eight_buttons) {
  ParsedTemplate t = template_for("x", "Q", "a|b|c|d|e|f|g|h|i|j", 0);
  EXPECT_EQ(t.count, 1 + 8);
  EXPECT_EQ(t.controls[8].title, "h");
}

TEST_F(message_dialog_test, a_bar_in_the_text_starts_a_new_line) {
  EXPECT_EQ(message("First line|Second line|Third", "T", "", "", 0), 1);
  EXPECT_EQ(shown().text, "First line\r\nSecond line\r\nThird");
  EXPECT_GE(shown().text_height, 3 * 13 - 2);  // three lines, up to unit rounding
  ParsedTemplate t = template_for("First line\r\nSecond line\r\nThird", "T", "", 0);
  EXPECT_EQ(t.controls[0].cy, 3 * 13 * 8 / 13);
}

TEST_F(message_dialog_test, a_long_text_wraps_at_200_dialog_units) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "wrapping ";
  ParsedTemplate t = template_for(text.c_str(), "T", "", 0);
  const ParsedControl& label = t.controls[0];
  // 200 units are 300 px, room for 50 characters: five "wrapping" words
  // (44 characters, 264 px) a line, eight lines for forty words. The
  // measured width grows by 10 px.
  EXPECT_EQ(label.cx, (264 + 10) * 4 / 6);
  EXPECT_EQ(label.cy, 8 * 13 * 8 / 13);
  EXPECT_LE(label.cx, 200);
}

TEST_F(message_dialog_test, button_captions_come_from_the_environment_file) {
  rt::locale().set_message_override(32512 + 1, "&Ja", 3);
  rt::locale().set_message_override(32512 + 2, "&Nein", 5);
  ParsedTemplate t = template_for("?", "Q", "6", 2);
  EXPECT_EQ(t.controls[1].title, "&Ja");
  EXPECT_EQ(t.controls[2].title, "&Nein");
  // In a caption list, the replaced caption names the standard button.
  ParsedTemplate list = template_for("?", "Q", "&Ja|Other", 0);
  EXPECT_EQ(list.controls[1].id, IDYES);
  EXPECT_EQ(list.controls[2].id, 100);
  typed('j');
  EXPECT_EQ(message("?", "Q", "", "6", 4), 2);
}

TEST_F(message_dialog_test, a_nonzero_style_makes_the_dialog_system_modal) {
  EXPECT_EQ(template_for("x", "T", "", 0, false, 1).style, 0x90C800C0u | DS_SYSMODAL);
}

TEST_F(message_dialog_test, an_icon_takes_room_left_of_the_text) {
  ParsedTemplate plain = template_for("Careful", "T", "", 0);
  ParsedTemplate with_icon = template_for("Careful", "T", "", 0, true);
  ASSERT_EQ(with_icon.count, 3);
  const ParsedControl& icon = with_icon.controls[0];
  EXPECT_EQ(icon.id, 2704);
  EXPECT_EQ(icon.style, WS_CHILD | WS_VISIBLE | SS_ICON);
  EXPECT_EQ(icon.x, 8 * 4 / 6);
  EXPECT_EQ(icon.cx, 32 * 4 / 6);
  EXPECT_EQ(icon.cy, 32 * 8 / 13);
  EXPECT_EQ(with_icon.controls[1].x, (8 + 32 + 8) * 4 / 6);
  EXPECT_GT(with_icon.cx, plain.cx);
  const char hand[] = {'\xFF', '\x01', '\x02', '\x7F'};
  std::string icon_string(hand, 4);
  EXPECT_EQ(ui::message_box("Careful", 7, "T", 1, icon_string.data(), 4, "", 0, 0, 0), 1);
  EXPECT_EQ(shown().icon, LoadIconA(nullptr, IDI_HAND));
  // An icon that cannot be loaded leaves its place empty.
  EXPECT_EQ(message("Careful", "T", "~NOSUCHICON", "", 0), 1);
  EXPECT_EQ(shown().icon, nullptr);
}

TEST_F(message_dialog_test, without_a_frame_the_dialog_is_centred_on_the_screen) {
  message("Centre", "T", "", "", 0);
  RECT r = shown().where;
  EXPECT_EQ(r.left, (1024 - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (768 - (r.bottom - r.top)) / 2);
}

TEST_F(message_dialog_test, a_number_naming_no_button_still_gives_ok) {
  EXPECT_EQ(message("x", "T", "", "0", 0), 1);
  EXPECT_EQ(shown().buttons, (std::vector<std::string>{"OK"}));
}

TEST_F(message_dialog_test, message_takes_its_texts_from_the_string_stack) {
  rt::StringStack& stack = rt::string_stack();
  stack.push_cstring("3");        // buttons: OK and Yes
  stack.push_cstring("");         // icon
  stack.push_cstring("Title  ");  // caption, trailing blanks clipped
  stack.push_cstring("Text");     // the text is pushed last
  EXPECT_EQ(ui::MESSAGE(2, 0), 2);
  EXPECT_TRUE(stack.empty());
  EXPECT_EQ(shown().title, "Title");
  EXPECT_EQ(shown().text, "Text");
  EXPECT_EQ(shown().buttons, (std::vector<std::string>{"OK", "&Yes"}));
}
