// The ACCEPT loop: event order, one body run at a time, the close test and
// the key codes.
#include "ui/event_loop.h"

#include <cstring>
#include <vector>

#include "app/program_resources.h"
#include "platform/resource.h"
#include "services/error_state.h"
#include "services/process_state.h"
#include "tests/ui/ui_fixture.h"
#include "ui/app_frame.h"
#include "ui/event_codes.h"
#include "ui/window_object.h"

namespace {

using namespace ui::event;

class event_loop_test : public ui_test::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    frame_ = ui::open_window_structure("msgmake$msgma001", "P1$APPFRAME", nullptr);
    ui::create_application_frame(frame_);
    ASSERT_NE(frame_->handle, nullptr);
  }
  void TearDown() override {
    ui::close_window(frame_);
    UiFixture::TearDown();
  }

  // Takes `count` events through the loop, recording each code.
  std::vector<std::int32_t> take(ui::AcceptLoop& loop, int count) {
    std::vector<std::int32_t> codes;
    for (int i = 0; i < count && loop.next(); ++i) codes.push_back(ui::current_event());
    return codes;
  }

  // Dispatches whatever is queued, as a dialog run inside a body would.
  static void pump() {
    plat::MSG m;
    while (plat::PeekMessageA(&m, nullptr, 0, 0, plat::PM_REMOVE)) plat::DispatchMessageA(&m);
  }

  ui::WindowObject* frame_ = nullptr;
};

}  // namespace

TEST_F(event_loop_test, event_is_zero_outside_a_body) {
  EXPECT_EQ(ui::current_event(), 0);
  ui::AcceptLoop loop;
  EXPECT_EQ(ui::current_event(), 0);
  ASSERT_TRUE(loop.next());
  EXPECT_NE(ui::current_event(), 0);
}

TEST_F(event_loop_test, open_window_reaches_the_body_first) {
  ui::AcceptLoop loop;
  EXPECT_TRUE(plat::IsWindowVisible(frame_->handle));
  EXPECT_EQ(take(loop, 3), (std::vector<std::int32_t>{OpenWindow, Sized, GainFocus}));
}

TEST_F(event_loop_test, posted_events_arrive_in_order) {
  ui::AcceptLoop loop;
  take(loop, 3);
  ui::post_event(frame_, Accepted, 0);
  ui::post_event(frame_, Notify, 0);
  ui::post_event(frame_, NewSelection, 0);
  EXPECT_EQ(take(loop, 3), (std::vector<std::int32_t>{Accepted, Notify, NewSelection}));
}

TEST_F(event_loop_test, an_event_arriving_during_a_body_run_waits_for_its_end) {
  ui::AcceptLoop loop;
  ASSERT_TRUE(loop.next());
  ASSERT_EQ(ui::current_event(), OpenWindow);
  ui::post_event(frame_, Accepted, 0);
  pump();  // the carrier reaches the window procedure inside the body run
  EXPECT_EQ(ui::current_event(), OpenWindow);
  EXPECT_EQ(frame_->nesting, 1);
  EXPECT_NE(frame_->pending_first, nullptr);
  EXPECT_EQ(take(loop, 3), (std::vector<std::int32_t>{Sized, GainFocus, Accepted}));
  EXPECT_EQ(frame_->nesting, 1);
}

TEST_F(event_loop_test, accept_without_a_window_is_runtime_error_537) {
  ui::close_window(frame_);
  frame_ = nullptr;
  ui::AcceptLoop loop;
  EXPECT_EQ(error_code(), svc::err::accept_needs_window);
  EXPECT_EQ(last_box_text(), "ACCEPT loop requires a window\nDo you want to GPF?");
  EXPECT_FALSE(loop.next());
}

TEST_F(event_loop_test, close_window_ends_the_loop_unless_the_body_cycles) {
  ui::AcceptLoop loop;
  take(loop, 3);
  plat::PostMessageA(frame_->handle, plat::WM_CLOSE, 0, 0);
  ASSERT_TRUE(loop.next());
  ASSERT_EQ(ui::current_event(), CloseWindow);
  loop.cycle();  // the close is cancelled
  ui::post_event(frame_, Notify, 0);
  ASSERT_TRUE(loop.next());
  EXPECT_EQ(ui::current_event(), Notify);
  plat::PostMessageA(frame_->handle, plat::WM_CLOSE, 0, 0);
  ASSERT_TRUE(loop.next());
  ASSERT_EQ(ui::current_event(), CloseWindow);
  ui::post_event(frame_, Notify, 0);
  EXPECT_FALSE(loop.next());  // closing: nothing more reaches the body
}

TEST_F(event_loop_test, the_window_closes_after_its_loop) {
  plat::HWND handle = frame_->handle;
  {
    ui::AcceptLoop loop;
    take(loop, 3);
    ui::post_event(frame_, CloseDown, 0);
    ASSERT_TRUE(loop.next());
    EXPECT_FALSE(loop.next());
  }
  EXPECT_FALSE(plat::IsWindow(handle));
  EXPECT_EQ(frame_->handle, nullptr);
}

TEST_F(event_loop_test, break_and_open_failed_end_the_loop) {
  {
    ui::AcceptLoop loop;
    ASSERT_TRUE(loop.next());
    loop.stop();
    EXPECT_FALSE(loop.next());
  }
  EXPECT_NE(frame_->handle, nullptr);  // leaving the loop does not close the window
  ui::AcceptLoop again;
  take(again, 2);
  ui::post_event(frame_, OpenFailed, 0);
  ASSERT_TRUE(again.next());
  EXPECT_EQ(ui::current_event(), OpenFailed);
  EXPECT_FALSE(again.next());
}

TEST_F(event_loop_test, a_destroyed_window_ends_its_loop) {
  ui::AcceptLoop loop;
  ASSERT_TRUE(loop.next());
  plat::DestroyWindow(frame_->handle);
  EXPECT_FALSE(loop.next());
}

TEST_F(event_loop_test, timer_events_reach_only_a_window_with_a_timer) {
  ui::AcceptLoop loop;
  take(loop, 3);
  ui::post_event(frame_, Timer, 0);
  ui::post_event(frame_, Notify, 0);
  ASSERT_TRUE(loop.next());
  EXPECT_EQ(ui::current_event(), Notify);
}

TEST_F(event_loop_test, selected_reaches_only_the_selected_control) {
  frame_->selected_control = 3;
  ui::AcceptLoop loop;
  take(loop, 3);
  ui::post_event(frame_, Selected, 2);
  ui::post_event(frame_, Selected, 3);
  ASSERT_TRUE(loop.next());
  EXPECT_EQ(ui::current_event(), Selected);
  EXPECT_EQ(frame_->current_event->control, 3);
}

TEST_F(event_loop_test, nothing_is_posted_once_the_runtime_stops) {
  ui::AcceptLoop loop;
  take(loop, 3);
  svc::process_state().set_running(false);
  ui::post_event(frame_, Notify, 0);
  svc::process_state().set_running(true);
  ui::post_event(frame_, Accepted, 0);
  ASSERT_TRUE(loop.next());
  EXPECT_EQ(ui::current_event(), Accepted);
}

TEST_F(event_loop_test, moves_and_sizes_after_creation_become_events) {
  ui::AcceptLoop loop;
  take(loop, 3);
  plat::SetWindowPos(frame_->handle, nullptr, 5, 5, 0, 0, plat::SWP_NOSIZE | plat::SWP_NOZORDER);
  plat::SetWindowPos(frame_->handle, nullptr, 0, 0, 200, 100,
                     plat::SWP_NOMOVE | plat::SWP_NOZORDER);
  EXPECT_EQ(take(loop, 2), (std::vector<std::int32_t>{Moved, Sized}));
}

TEST_F(event_loop_test, an_event_posted_before_the_window_exists_waits_in_its_list) {
  ui::WindowObject* other = ui::open_window_structure("msgmake$msgma001", "P1$APPFRAME", nullptr);
  ui::post_event(other, Notify, 0);
  ASSERT_NE(other->pending_first, nullptr);
  EXPECT_EQ(other->pending_first->message, 0x140Au + 0x200u);
  ui::close_window(other);  // pending events go with the object
}

TEST_F(event_loop_test, key_codes_carry_the_modifiers) {
  plat::PostMessageA(nullptr, plat::WM_KEYDOWN, plat::VK_SHIFT, 0);
  plat::MSG m{};
  ASSERT_TRUE(plat::PeekMessageA(&m, nullptr, plat::WM_KEYDOWN, plat::WM_KEYDOWN, plat::PM_REMOVE));
  plat::MSG key{frame_->handle, plat::WM_KEYDOWN, 'A', 1 << 24, 0, {}};
  EXPECT_EQ(ui::key_code_of(key), 0x41u | 0x800u | 0x100u);
  plat::MSG button{frame_->handle, plat::WM_RBUTTONDBLCLK, 0, 0, 0, {}};
  EXPECT_EQ(ui::key_code_of(button), 6u | 0x100u);
  plat::MSG release{frame_->handle, plat::WM_LBUTTONUP, 0, 0, 0, {}};
  EXPECT_EQ(ui::key_code_of(release), 0u);
}

TEST_F(event_loop_test, the_loop_records_the_last_key_and_character) {
  ui::AcceptLoop loop;
  take(loop, 3);
  plat::PostMessageA(frame_->handle, plat::WM_KEYDOWN, 'Q', 0);
  ui::post_event(frame_, Notify, 0);
  ASSERT_TRUE(loop.next());
  EXPECT_EQ(ui::last_key_code(), static_cast<std::uint32_t>('Q'));
  EXPECT_EQ(frame_->thread->last_character, 'q');
}

namespace {

std::uint64_t fake_now = 0;
std::uint64_t fake_clock() {
  return fake_now;
}
const plat::HMODULE kTimedModule = reinterpret_cast<plat::HMODULE>(0x7400);
plat::HMODULE timed_module_after(plat::HMODULE previous) {
  return previous == nullptr ? kTimedModule : nullptr;
}

}  // namespace

TEST_F(event_loop_test, a_frame_with_a_timer_interval_gets_timer_events) {
  // The program's frame with a timer of 5 hundredths, in a module of its own.
  std::vector<std::uint8_t> resource(app::program_window_resource().begin(),
                                     app::program_window_resource().end());
  std::memcpy(resource.data(), "timedmk$msgma001", 16);
  const std::size_t timer_at = 62 + 89 + 16 - 1;  // image offset r + 89 in the resource
  resource[timer_at] = 5;
  ASSERT_TRUE(plat::add_resource(kTimedModule, "REZAVIZ", "MSGMA001_RSC", resource.data(),
                                 static_cast<plat::DWORD>(resource.size())));
  ui::set_module_walker(&timed_module_after);
  fake_now = 0;
  plat::set_timer_clock(&fake_clock);
  ui::close_window(frame_);  // only one frame at a time
  frame_ = ui::open_window_structure("timedmk$msgma001", "P1$APPFRAME", nullptr);
  ui::create_application_frame(frame_);
  ASSERT_TRUE(frame_->has_timer);
  EXPECT_EQ(frame_->timer_id, 1u);
  ui::AcceptLoop loop;
  take(loop, 3);
  fake_now += 50'000'000;
  ASSERT_TRUE(loop.next());
  EXPECT_EQ(ui::current_event(), Timer);
  plat::remove_resources(kTimedModule);
}

TEST_F(event_loop_test, a_close_that_no_child_can_take_is_cancelled_with_a_beep) {
  ui::WindowObject* child = ui::open_window_structure("msgmake$msgma001", "P1$APPFRAME", nullptr);
  child->parent = frame_;
  child->thread = frame_->thread;
  child->next_on_thread = frame_->next_on_thread;  // the frame stays the current window
  frame_->next_on_thread = child;
  int beeps = plat::message_beep_count();
  {
    ui::AcceptLoop loop;
    take(loop, 3);
    ui::post_event(frame_, CloseWindow, 0);
    ASSERT_TRUE(loop.next());
    ui::post_event(frame_, Notify, 0);
    ASSERT_TRUE(loop.next());  // the close was cancelled: the loop goes on
    EXPECT_EQ(ui::current_event(), Notify);
    EXPECT_EQ(plat::message_beep_count(), beeps + 1);
    EXPECT_FALSE(frame_->marked_for_closing);
  }
  ui::close_window(child);
}
