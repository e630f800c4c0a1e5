// The program module's wiring to the window layer: the frame the main
// procedure prepares comes from the program's own window resource and opens
// no window.
#include <gtest/gtest.h>

#include "app/program_resources.h"
#include "app/runtime_seams.h"
#include "services/thread_records.h"
#include "ui/thread_windows.h"
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
