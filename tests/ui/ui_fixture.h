// Test helper for the window layer: every test starts with an empty window
// system, fresh window-layer state and thread records, the program's
// resources registered, and runtime errors caught instead of ending the test
// program.
#pragma once

#include <gtest/gtest.h>

#include "app/program_resources.h"
#include "platform/gdi.h"
#include "platform/user.h"
#include "platform/window.h"
#include "runtime/locale.h"
#include "runtime/string_stack.h"
#include "services/error_state.h"
#include "services/thread_records.h"
#include "tests/services/runtime_error_capture.h"
#include "ui/window_layer.h"

namespace ui_test {

class UiFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    reset();
    app::register_program_resources();
  }
  void TearDown() override { reset(); }

  static void reset() {
    plat::set_dialog_input_hook(nullptr);
    plat::reset_window_system();
    plat::reset_gdi();
    ui::window_layer().reset();
    svc::thread_records().reset();
    rt::locale().reset();
    rt::string_stack().reset();
  }

  // The runtime error boxes shown so far and the error code the last one set.
  static std::size_t boxes_shown() { return life_test::RuntimeErrorCapture::boxes().size(); }
  static std::string last_box_text() {
    auto& boxes = life_test::RuntimeErrorCapture::boxes();
    return boxes.empty() ? std::string() : boxes.back().text;
  }
  static std::int32_t error_code() { return svc::error_state().code(); }

  life_test::RuntimeErrorCapture capture_;
};

}  // namespace ui_test
