// The program module's wiring to the layers below: the frame the main
// procedure prepares comes from the program's own window resource and opens
// no window, and a runtime error is announced in the program's own words.
#include <gtest/gtest.h>

#include "app/program_data.h"
#include "app/program_resources.h"
#include "app/runtime_seams.h"
#include "services/thread_records.h"
#include "ui/thread_windows.h"
#include "services/runtime_error.h"
#include "tests/services/runtime_error_capture.h"
#include "ui/window_object.h"

TEST(program_module_test, frame_is_prepared_from_the_program_resource_without_a_window) {
  app::register_program_resources();
  ui::WindowObject* frame = app::seam::prepare_frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->handle, nullptr);
  EXPECT_STREQ(frame->window_name, app::frame_window_name);
  app::seam::release_frame(frame);
  svc::ThreadRecord* thread = svc::thread_records().current();
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(ui::windows_of(*thread).windows, nullptr) << "nothing is left on the thread's window list";
}

// A runtime error's box says nothing of the program: one line naming it comes
// first on standard error, as every other failure's does.
TEST(program_module_test, a_runtime_error_begins_with_one_msgmake_line) {
  life_test::RuntimeErrorCapture capture;
  app::program_module_routine(0);
  testing::internal::CaptureStderr();
  svc::raise_runtime_error(svc::err::mismatched_scope, "Mismatched\nPOPSCOPE");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "msgmake: runtime error: Mismatched PUSHSCOPE/POPSCOPE : Mismatched POPSCOPE\n");
  EXPECT_EQ(capture.boxes().size(), 1u) << "the box still shows";
  app::program_module_routine(1);
}
