// Posting, delivering and looping over events.
#include "ui/event_loop.h"
#include "ui/thread_windows.h"

#include "platform/clock.h"
#include "platform/process.h"
#include "platform/user.h"
#include "services/error_state.h"
#include "services/heap.h"
#include "services/process_state.h"
#include "services/runtime_error.h"
#include "services/runtime_lock.h"
#include "services/thread_records.h"
#include "ui/app_frame.h"
#include "ui/event_codes.h"
#include "ui/window_layer.h"

namespace ui {
namespace {

// The window's own timer, as opposed to the frame's timer 1.
constexpr plat::UINT_PTR own_timer_id = 2;
constexpr std::uint32_t extended_key_bit = 1u << 24;

std::int32_t code_of(const EventRecord* record) {
  return static_cast<std::int32_t>(record->message - event_message_base);
}

svc::ThreadRecord* own_thread_record() {
  return svc::thread_records().find(plat::GetCurrentThreadId());
}

EventRecord* new_record(const WindowObject* window, std::int32_t code, std::int32_t control) {
  auto* record = static_cast<EventRecord*>(svc::allocate_zeroed(1, sizeof(EventRecord)));
  if (record == nullptr) return nullptr;
  record->message = event_message(code);
  record->control = control;
  record->window = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window->handle));
  if (const svc::ThreadRecord* thread = own_thread_record()) {
    record->key_code = thread->last_key_code;
    record->character = thread->last_character;
  }
  record->time = plat::GetTickCount();
  return record;
}

void append_pending(WindowObject* window, EventRecord* record) {
  record->next = nullptr;
  if (window->pending_last != nullptr) {
    window->pending_last->next = record;
  } else {
    window->pending_first = record;
  }
  window->pending_last = record;
}

EventRecord* pop_pending(WindowObject* window) {
  EventRecord* record = window->pending_first;
  if (record == nullptr) return nullptr;
  window->pending_first = record->next;
  if (window->pending_first == nullptr) window->pending_last = nullptr;
  record->next = nullptr;
  return record;
}

// A pending event needs a message to make its loop look at the list.
void wake_thread(const WindowObject* window) {
  plat::DWORD thread =
      window->thread != nullptr ? window->thread->thread_id : plat::GetCurrentThreadId();
  plat::PostThreadMessageA(thread, plat::WM_NULL, 0, 0);
}

// Events that lost their meaning before they could be delivered.
bool outdated(const WindowObject* window, const EventRecord* record) {
  std::int32_t code = code_of(record);
  if (code == event::Selected && record->control != window->selected_control) return true;
  return code == event::Timer && !window->has_timer;
}

bool ends_build_step(std::int32_t code) {
  return code == event::BuildFile || code == event::BuildKey || code == event::BuildDone;
}

WindowObject* first_child(const WindowObject* window) {
  if (window->thread == nullptr) return nullptr;
  for (WindowObject* w = windows_of(*window->thread).windows; w != nullptr; w = w->next_on_thread) {
    if (w->parent == window) return w;
  }
  return nullptr;
}

WindowObject* first_child_in_loop(const WindowObject* window) {
  for (WindowObject* w = windows_of(*window->thread).windows; w != nullptr; w = w->next_on_thread) {
    if (w->parent == window && w->in_loop) return w;
  }
  return nullptr;
}

void flush_paint_messages() {
  plat::MSG message;
  while (plat::PeekMessageA(&message, nullptr, plat::WM_PAINT, plat::WM_PAINT, plat::PM_REMOVE)) {
    plat::DispatchMessageA(&message);
  }
}

}  // namespace

void post_event(WindowObject* window, std::int32_t code, std::int32_t control) {
  if (window == nullptr || !svc::process_state().running()) return;
  EventRecord* record = new_record(window, code, control);
  if (record == nullptr) return;
  if (window->handle != nullptr && plat::IsWindow(window->handle) &&
      plat::PostMessageA(window->handle, event_carrier_message, 0,
                         reinterpret_cast<plat::LPARAM>(record))) {
    return;
  }
  append_pending(window, record);
  wake_thread(window);
}

void deliver_event(WindowObject* window, EventRecord* record) {
  if (record == nullptr) return;
  if (outdated(window, record)) {
    svc::release(record);
    return;
  }
  if (window->in_loop && window->nesting == 0 && window->ready == nullptr) {
    window->ready = record;
    return;
  }
  // A body is running (or no loop has started yet): the event waits its turn.
  append_pending(window, record);
  wake_thread(window);
}

void discard_events(WindowObject* window) {
  while (EventRecord* record = pop_pending(window)) svc::release(record);
  svc::release(window->ready);
  window->ready = nullptr;
  if (window->handle != nullptr) {
    plat::MSG message;
    while (plat::PeekMessageA(&message, window->handle, event_carrier_message,
                              event_carrier_message, plat::PM_REMOVE)) {
      svc::release(reinterpret_cast<EventRecord*>(message.lParam));
    }
  }
}

std::int32_t current_event() {
  const svc::ThreadRecord* thread = own_thread_record();
  const EventRecord* event = thread != nullptr ? windows_of(*thread).current_event : nullptr;
  return event != nullptr ? code_of(event) : 0;
}

std::uint32_t last_key_code() {
  const svc::ThreadRecord* thread = own_thread_record();
  return thread != nullptr ? thread->last_key_code : 0;
}

std::uint32_t key_code_of(const plat::MSG& message) {
  std::uint32_t code = 0;
  switch (message.message) {
    case plat::WM_KEYDOWN:
    case plat::WM_SYSKEYDOWN:
      code = static_cast<std::uint32_t>(message.wParam & 0xFF);
      if ((static_cast<std::uint32_t>(message.lParam) & extended_key_bit) != 0) code |= 0x800;
      break;
    case plat::WM_LBUTTONDOWN:
      code = 1;
      break;
    case plat::WM_RBUTTONDOWN:
      code = 2;
      break;
    case plat::WM_MBUTTONDOWN:
      code = 3;
      break;
    case plat::WM_LBUTTONDBLCLK:
      code = 5;
      break;
    case plat::WM_RBUTTONDBLCLK:
      code = 6;
      break;
    case plat::WM_MBUTTONDBLCLK:
      code = 7;
      break;
    default:
      return 0;
  }
  struct Modifier {
    int key;
    bool toggle;
    std::uint32_t bit;
  };
  static constexpr Modifier modifiers[] = {
      {plat::VK_SHIFT, false, 0x100},   {plat::VK_CONTROL, false, 0x200},
      {plat::VK_MENU, false, 0x400},    {plat::VK_CAPITAL, true, 0x1000},
      {plat::VK_NUMLOCK, true, 0x2000}, {plat::VK_SCROLL, true, 0x4000},
      {plat::VK_INSERT, true, 0x8000},
  };
  for (const Modifier& m : modifiers) {
    short state = plat::GetKeyState(m.key);
    if (m.toggle ? (state & 1) != 0 : state < 0) code |= m.bit;
  }
  return code;
}

// --- the ACCEPT loop ---

AcceptLoop::AcceptLoop() {
  window_ = current_window();
  if (window_ == nullptr || window_->handle == nullptr) {
    window_ = nullptr;
    ended_ = true;
    svc::raise_runtime_error(svc::err::accept_needs_window);
    return;
  }
  window_->in_loop = true;
  saved_modal_state_ = window_layer().modal_state;
  if (window_->menu != nullptr) plat::DrawMenuBar(window_->handle);
  show_window();
}

AcceptLoop::~AcceptLoop() {
  if (in_body_) end_body_run();
  if (window_ == nullptr) return;
  window_->in_loop = false;
  window_layer().modal_state = saved_modal_state_;
  if (window_->handle != nullptr && window_->parent == nullptr && first_child(window_) != nullptr) {
    flush_paint_messages();
  }
  if (window_->marked_for_closing && window_->handle != nullptr) {
    plat::DestroyWindow(window_->handle);
  }
}

void AcceptLoop::show_window() {
  plat::HWND handle = window_->handle;
  bool minimized = (window_->flags & flag_start_minimized) != 0;
  plat::ShowWindow(handle, minimized ? plat::SW_SHOWMINIMIZED : plat::SW_SHOW);
  if (!window_->shown_before) {
    window_->shown_before = true;
    constexpr plat::UINT keep = plat::SWP_NOMOVE | plat::SWP_NOSIZE;
    plat::BringWindowToTop(handle);
    plat::SetWindowPos(handle, plat::HWND_TOPMOST, 0, 0, 0, 0, keep);
    plat::SetWindowPos(handle, plat::HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    plat::SetForegroundWindow(handle);
  }
  plat::UpdateWindow(handle);
}

bool AcceptLoop::next() {
  if (in_body_) end_body_run();
  while (!ended_) {
    if (window_->handle == nullptr || !plat::IsWindow(window_->handle)) break;
    if (!skip_close_test_) {
      Test test = close_test();
      if (test == Test::end) break;
      if (test == Test::deliver) return true;
    }
    skip_close_test_ = false;
    if (!take_message()) break;
    if (EventRecord* record = window_->ready) {
      window_->ready = nullptr;
      start_body_run(record);
      return true;
    }
  }
  ended_ = true;
  return false;
}

void AcceptLoop::start_body_run(EventRecord* record) {
  svc::ThreadRecords& records = svc::thread_records();
  int self = window_->thread != nullptr ? records.index_of(*window_->thread) : -1;
  int last = records.last_body_thread;
  if (last >= 0 && last != self) {
    if (WindowObject* other = windows_of(records.at(last)).windows) {
      post_event(other, event::Suspend, 0);
      other->suspended = true;
    }
    if (window_->suspended) {
      post_event(window_, event::Resume, 0);
      window_->suspended = false;
    }
  }
  records.last_body_thread = self;
  ++window_->nesting;
  window_->current_event = record;
  if (window_->thread != nullptr) windows_of(*window_->thread).current_event = record;
  in_body_ = true;
  cancel_ = false;
  stop_ = false;
}

void AcceptLoop::end_body_run() {
  EventRecord* record = window_->current_event;
  std::int32_t code = record != nullptr ? code_of(record) : 0;
  in_body_ = false;
  --window_->nesting;
  window_->current_event = nullptr;
  if (window_->thread != nullptr) {
    EventRecord*& thread_event = windows_of(*window_->thread).current_event;
    if (thread_event == record) thread_event = nullptr;
  }
  svc::release(record);
  if (stop_ || code == event::OpenFailed) ended_ = true;
  if ((code == event::CloseWindow || code == event::CloseDown) && !cancel_) {
    window_->marked_for_closing = true;
  }
  if (ends_build_step(code)) skip_close_test_ = true;
  cancel_ = false;
  stop_ = false;
}

AcceptLoop::Test AcceptLoop::close_test() {
  WindowLayer& layer = window_layer();
  svc::ThreadRecords& records = svc::thread_records();
  int self = window_->thread != nullptr ? records.index_of(*window_->thread) : -1;
  if (layer.focus_thread != self) {
    int previous = layer.focus_thread;
    layer.focus_thread = self;
    WindowObject* before = previous >= 0 ? windows_of(records.at(previous)).windows : nullptr;
    if (before != nullptr) post_event(before, event::LoseFocus, 0);
    post_event(window_, event::GainFocus, 0);
  }
  while (EventRecord* record = pop_pending(window_)) {
    if (outdated(window_, record)) {
      svc::release(record);
      continue;
    }
    start_body_run(record);
    return Test::deliver;
  }
  if (!window_->marked_for_closing) return Test::nothing;
  if (first_child(window_) == nullptr) return Test::end;
  if (!window_->close_down_sent) {
    if (WindowObject* child = first_child_in_loop(window_)) {
      post_event(child, event::CloseDown, 0);
      window_->close_down_sent = true;
    } else {
      plat::MessageBeep(0);
      window_->marked_for_closing = false;
    }
  }
  return Test::nothing;
}

bool AcceptLoop::take_message() {
  WindowLayer& layer = window_layer();
  plat::MSG message{};
  // With nothing waiting, the window's idle operation would run here; it
  // belongs to the controls, which this program has none of.
  plat::BOOL got = 0;
  {
    svc::RuntimeLockRelease unlocked;
    if (layer.idle_hook != nullptr) layer.idle_hook();
    got = plat::GetMessageA(&message, nullptr, 0, 0);
  }
  svc::ThreadRecords& records = svc::thread_records();
  if (window_->thread != nullptr) records.active_thread = records.index_of(*window_->thread);
  if (got == 0) {
    // The quit belongs to whatever loop runs outside this one too.
    plat::PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  if (got < 0) return false;
  if (message.message == bring_to_top_message) {
    bool in_frame = layer.frame != nullptr && window_->parent == layer.frame;
    plat::BringWindowToTop(in_frame ? layer.frame->handle : window_->handle);
    return true;
  }
  if (message.message == plat::WM_TIMER && message.lParam == 0) {
    if (message.hwnd == window_->handle && message.wParam == own_timer_id) {
      window_timer(window_);
      return true;
    }
    if (message.hwnd == nullptr && layer.global_timer != nullptr) {
      layer.global_timer(message.wParam);
      return true;
    }
  }
  if (window_->thread != nullptr) {
    if (std::uint32_t key = key_code_of(message)) window_->thread->last_key_code = key;
    if (message.message == plat::WM_CHAR) {
      window_->thread->last_character = static_cast<std::uint8_t>(message.wParam);
    }
  }
  plat::TranslateMessage(&message);
  plat::DispatchMessageA(&message);
  return true;
}

}  // namespace ui
