// The event loop: posting events to windows, delivering them one at a time,
// and the ACCEPT loop that runs a procedure's body once per event.
//
// The body is an ordinary loop over AcceptLoop::next():
//
//   ui::AcceptLoop loop;            // ACCEPT (runtime error 537 without a window)
//   while (loop.next()) {           // one body run per event
//     switch (ui::current_event()) { ... loop.cycle(); ... loop.stop(); }
//   }
//
// next() ends the previous body run, runs the close test and takes
// messages until the window has an event for the body; it answers false when
// the loop ends. A body never runs inside another body run of the same
// window: an event that arrives meanwhile waits in the window's pending list.
// The window object is released (close_window) only after its loop is gone.
#pragma once

#include <cstdint>

#include "platform/window.h"
#include "ui/window_object.h"

namespace ui {

// Posts an event for `window` (and `control`, 0 for a window event).
// Nothing is posted once the runtime stops running. A window with a handle
// gets the carrier message; otherwise the event waits in its pending list
// and WM_NULL wakes its thread.
void post_event(WindowObject* window, std::int32_t code, std::int32_t control);

// An event record arriving at the window: handed to the body when the loop
// is waiting for one, else kept pending.
void deliver_event(WindowObject* window, EventRecord* record);

// Releases every event still pending for the window.
void discard_events(WindowObject* window);

// The code of the event being processed by the calling thread's body, or 0
// outside a body run.
std::int32_t current_event();

// The thread's last key code: the virtual key (plus 0x800 for an extended
// key) or mouse button, with the modifier bits of that moment.
std::uint32_t last_key_code();
// The key code a keyboard or mouse-button message gives, 0 for other
// messages (button releases included).
std::uint32_t key_code_of(const plat::MSG& message);

class AcceptLoop {
 public:
  // Enters the loop for the calling thread's current window: runtime error
  // 537 when the thread has none. Shows the window.
  AcceptLoop();
  // Ends a body run still in progress and restores the modal state; a
  // window marked for closing is destroyed.
  ~AcceptLoop();
  AcceptLoop(const AcceptLoop&) = delete;
  AcceptLoop& operator=(const AcceptLoop&) = delete;

  // The next event for the body, or false when the loop ends.
  bool next();
  // CYCLE: the body run ends without its effect (a close is cancelled).
  void cycle() { cancel_ = true; }
  // BREAK: the loop ends after this body run.
  void stop() { stop_ = true; }

  WindowObject* window() const { return window_; }

 private:
  enum class Test { nothing, deliver, end };

  void show_window();
  void start_body_run(EventRecord* record);
  void end_body_run();
  Test close_test();
  bool take_message();

  WindowObject* window_ = nullptr;
  bool in_body_ = false;
  bool ended_ = false;
  bool cancel_ = false;
  bool stop_ = false;
  bool skip_close_test_ = false;
  std::uint32_t saved_modal_state_ = 0;
};

}  // namespace ui
