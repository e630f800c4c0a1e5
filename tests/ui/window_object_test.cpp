// Opening window structures, creating the application frame from its record
// and closing windows.
#include "ui/window_object.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/resource.h"
#include "platform/text.h"
#include "services/error_state.h"
#include "services/heap.h"
#include "tests/ui/ui_fixture.h"
#include "ui/app_frame.h"

namespace {

class window_object_test : public ui_test::UiFixture {
 protected:
  ui::WindowObject* open_frame() {
    return ui::open_window_structure("msgmake$msgma001", "P1$APPFRAME", nullptr);
  }
};

}  // namespace

TEST_F(window_object_test, opening_and_releasing_the_frame_creates_no_window) {
  svc::HeapCheck before = svc::process_heap().validate();
  ui::WindowObject* frame = open_frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->handle, nullptr);
  EXPECT_EQ(frame->record, 62u);
  EXPECT_STREQ(frame->window_name, "P1$APPFRAME");
  EXPECT_STREQ(frame->module_name, "msgmake$msgma001");
  EXPECT_EQ(frame->controls[0], nullptr);
  EXPECT_EQ(frame->attributes, 0x800u);
  EXPECT_EQ(frame->flags, 0x1820u);
  EXPECT_EQ(ui::current_window(), nullptr);  // not a window of the thread until created
  ui::close_window(frame);
  EXPECT_EQ(plat::GetTopWindow(nullptr), nullptr);
  EXPECT_EQ(boxes_shown(), 0u);
  EXPECT_EQ(plat::loaded_resource_count(), 0);
  svc::HeapCheck after = svc::process_heap().validate();
  EXPECT_TRUE(after.ok());
  EXPECT_EQ(after.allocated_blocks, before.allocated_blocks);
}

TEST_F(window_object_test, the_control_list_is_copied) {
  int a = 0;
  int b = 0;
  void* controls[] = {&a, &b, nullptr};
  ui::WindowObject* frame = ui::open_window_structure("msgmake$msgma001", "P1$APPFRAME", controls);
  controls[0] = nullptr;
  EXPECT_EQ(frame->controls[0], &a);
  EXPECT_EQ(frame->controls[1], &b);
  EXPECT_EQ(frame->controls[2], nullptr);
  ui::close_window(frame);
}

TEST_F(window_object_test, an_unknown_window_is_error_502_and_no_object) {
  EXPECT_EQ(ui::open_window_structure("msgmake$msgma001", "NOWINDOW", nullptr), nullptr);
  EXPECT_EQ(error_code(), svc::err::internal_error_02);
}

TEST_F(window_object_test, the_frame_is_created_from_its_record) {
  ui::WindowObject* frame = open_frame();
  ui::create_application_frame(frame);
  ASSERT_NE(frame->handle, nullptr);
  EXPECT_EQ(boxes_shown(), 0u);
  EXPECT_EQ(ui::window_layer().frame, frame);
  EXPECT_EQ(ui::current_window(), frame);
  EXPECT_EQ(ui::window_of(frame->handle), frame);
  char text[32];
  plat::GetWindowTextA(frame->handle, text, sizeof text);
  EXPECT_STREQ(text, "Application");
  char expected_class[64];
  plat::wsprintfA(
      expected_class, "BriWin%uClass%lu",
      static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(plat::GetModuleHandleA(nullptr))),
      1ul);
  plat::GetClassNameA(frame->handle, text, sizeof text);
  EXPECT_STREQ(text, expected_class);
  auto style = static_cast<plat::DWORD>(plat::GetWindowLongPtrA(frame->handle, plat::GWL_STYLE));
  EXPECT_EQ(style, plat::WS_CLIPCHILDREN | plat::WS_CAPTION | plat::WS_SYSMENU |
                       plat::WS_THICKFRAME | plat::WS_MAXIMIZEBOX);
  plat::RECT r{};
  plat::GetClientRect(frame->handle, &r);
  EXPECT_EQ(r.right, (310 * 6 + 3) / 4);  // dialog units of the 6 x 13 dialog font
  EXPECT_EQ(r.bottom, (190 * 13 + 7) / 8);
  EXPECT_EQ(frame->status_zone_count, 4);
  EXPECT_EQ(frame->status_zones[0], -1);
  EXPECT_FALSE(frame->has_timer);

  plat::HWND handle = frame->handle;
  ui::close_window(frame);
  EXPECT_FALSE(plat::IsWindow(handle));
  EXPECT_EQ(ui::window_layer().frame, nullptr);
  EXPECT_EQ(ui::current_window(), nullptr);
  plat::WNDCLASSA wc;
  EXPECT_FALSE(plat::GetClassInfoA(plat::GetModuleHandleA(nullptr), expected_class, &wc));
}

TEST_F(window_object_test, each_class_gets_the_next_number) {
  ui::WindowObject* first = open_frame();
  ui::create_application_frame(first);
  ui::close_window(first);
  ui::WindowObject* second = open_frame();
  ui::create_application_frame(second);
  char name[64];
  plat::GetClassNameA(second->handle, name, sizeof name);
  EXPECT_NE(std::string(name).find("Class2"), std::string::npos) << name;
  ui::close_window(second);
}

TEST_F(window_object_test, opening_twice_and_a_second_frame_are_runtime_errors) {
  ui::WindowObject* frame = open_frame();
  ui::create_application_frame(frame);
  ui::create_application_frame(frame);
  EXPECT_EQ(error_code(), svc::err::window_already_open);
  EXPECT_EQ(last_box_text(), "Window is already open\nDo you want to GPF?");
  ui::WindowObject* other = open_frame();
  ui::create_application_frame(other);
  EXPECT_EQ(error_code(), svc::err::application_already_active);
  EXPECT_EQ(other->handle, nullptr);
  ui::close_window(other);
  ui::close_window(frame);
}

TEST_F(window_object_test, a_modal_window_stops_the_frame) {
  ui::window_layer().modal_windows = 1;
  ui::WindowObject* frame = open_frame();
  ui::create_application_frame(frame);
  EXPECT_EQ(error_code(), svc::err::application_system_modal);
  EXPECT_EQ(frame->handle, nullptr);
  ui::close_window(frame);
}

TEST_F(window_object_test, a_class_that_cannot_be_registered_is_error_503) {
  // Take the name the frame's class will get.
  char name[64];
  plat::wsprintfA(
      name, "BriWin%uClass%lu",
      static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(plat::GetModuleHandleA(nullptr))),
      1ul);
  plat::WNDCLASSA wc{};
  wc.lpfnWndProc = plat::DefWindowProcA;
  wc.hInstance = plat::GetModuleHandleA(nullptr);
  wc.lpszClassName = name;
  ASSERT_NE(plat::RegisterClassA(&wc), 0);
  ui::WindowObject* frame = open_frame();
  ui::create_application_frame(frame);
  EXPECT_EQ(error_code(), svc::err::internal_error_03);
  EXPECT_EQ(last_box_text(), "Internal error 03 : WSLDIAL\nDo you want to GPF?");
  EXPECT_EQ(frame->handle, nullptr);
  ui::close_window(frame);
}

TEST_F(window_object_test, frame_styles_follow_the_window_flags) {
  using namespace plat;
  EXPECT_EQ(ui::frame_style(0x1820, false, false),
            WS_SYSMENU | WS_MAXIMIZEBOX | WS_CAPTION | WS_THICKFRAME);
  EXPECT_EQ(ui::frame_style(0x0000, false, false), WS_BORDER);
  EXPECT_EQ(ui::frame_style(0x0040, false, false), WS_BORDER | DS_MODALFRAME);
  EXPECT_EQ(ui::frame_style(0x0840, false, false), WS_BORDER | WS_MAXIMIZEBOX | WS_SYSMENU);
  EXPECT_EQ(ui::frame_style(0x0040, false, true), WS_BORDER);
  EXPECT_EQ(ui::frame_style(0x0060, false, false), 0u);
  EXPECT_EQ(ui::frame_style(0x8060, true, false), WS_MINIMIZE | WS_MINIMIZEBOX | WS_SYSMENU);
}

TEST_F(window_object_test, the_frame_refuses_to_let_the_session_end) {
  ui::WindowObject* frame = open_frame();
  ui::create_application_frame(frame);
  EXPECT_EQ(plat::SendMessageA(frame->handle, plat::WM_QUERYENDSESSION, 0, 0), plat::FALSE);
  auto& boxes = life_test::RuntimeErrorCapture::boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, ui::still_active_text);
  EXPECT_EQ(boxes[0].type, plat::MB_OK | plat::MB_ICONEXCLAMATION | plat::MB_SYSTEMMODAL);
  EXPECT_EQ(boxes[0].caption.find('/'), std::string::npos);
  EXPECT_FALSE(boxes[0].caption.empty());
  EXPECT_EQ(plat::GetTopWindow(nullptr), frame->handle);
  ui::close_window(frame);
}
