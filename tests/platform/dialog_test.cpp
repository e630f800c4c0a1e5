#include "platform/dialog.h"

#include <gtest/gtest.h>

#include "platform/last_error.h"

using namespace plat;

namespace {

UINT seen_type = 0;
int answer_no(HWND, LPCSTR, LPCSTR, UINT type) {
  seen_type = type;
  return IDNO;
}

}  // namespace

// Test programs run with standard input that is no terminal, so the box
// answers with its default button.
TEST(dialog_test, without_a_terminal_the_box_shows_on_stderr_and_answers_its_default) {
  testing::internal::CaptureStderr();
  int answer = MessageBoxA(nullptr, "Line one\nDo you want to GPF?", "Runtime error",
                           MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2);
  std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, IDNO);
  EXPECT_NE(shown.find("Runtime error\nLine one\nDo you want to GPF?\n"), std::string::npos);
  EXPECT_NE(shown.find("[Yes/No] (No)"), std::string::npos);

  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNOCANCEL), IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OK | MB_DEFBUTTON3), IDOK);  // no third button
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);
  testing::internal::GetCapturedStderr();
}

TEST(dialog_test, box_text_in_ansi_reaches_the_terminal_as_utf8) {
  testing::internal::CaptureStderr();
  MessageBoxA(nullptr, "caf\xE9 \x80", "x", MB_OK);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("caf\xC3\xA9 \xE2\x82\xAC"),
            std::string::npos);
}

TEST(dialog_test, a_hook_answers_instead_and_bad_types_fail) {
  set_message_box_hook(answer_no);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO | MB_DEFBUTTON1), IDNO);
  EXPECT_EQ(seen_type, MB_YESNO | MB_DEFBUTTON1);
  set_message_box_hook(nullptr);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", 0x7), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(dialog_test, the_cursor_is_process_state) {
  reset_cursor();
  HCURSOR arrow = GetCursor();
  EXPECT_EQ(arrow, LoadCursorA(nullptr, IDC_ARROW));
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  ASSERT_NE(wait, nullptr);
  EXPECT_EQ(wait, LoadCursorA(nullptr, IDC_WAIT));  // one shared system cursor
  EXPECT_EQ(SetCursor(wait), arrow);
  EXPECT_EQ(GetCursor(), wait);
  EXPECT_EQ(SetCursor(arrow), wait);
  EXPECT_TRUE(DestroyCursor(wait));
  EXPECT_EQ(LoadCursorA(nullptr, "custom"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  reset_cursor();
}
