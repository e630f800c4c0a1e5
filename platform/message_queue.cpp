// The headless window system's message queues: posting, sending, taking and
// dispatching messages, and waiting for them, one queue per thread.
#include <algorithm>
#include <chrono>

#include "platform/clock.h"
#include "platform/last_error.h"
#include "platform/process.h"
#include "platform/sync.h"
#include "platform/window.h"
#include "platform/window_system.h"

namespace plat {
namespace detail {

bool filter_matches(HWND filter, HWND window) {
  if (filter == nullptr) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return window == nullptr;
  return window == filter || is_descendant(filter, window);
}

bool range_matches(UINT first, UINT last, UINT message) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

}  // namespace detail

using namespace detail;

namespace {

bool is_mouse_button_message(UINT message) {
  return message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK;
}

// The procedure of a live window, read under the lock.
WNDPROC procedure_of(HWND window) {
  lock_type lock(sys().mutex);
  window_entry* entry = find_window(window);
  return entry == nullptr ? nullptr : entry->procedure;
}

LRESULT call_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  WNDPROC procedure = procedure_of(window);
  return procedure == nullptr ? 0 : procedure(window, message, wparam, lparam);
}

// Runs the messages other threads sent to this thread's windows. Called with
// the lock held; releases it around each procedure.
void run_sent_messages(lock_type& lock, thread_queue& queue) {
  while (!queue.sent.empty()) {
    sent_message* sent = queue.sent.front();
    queue.sent.pop_front();
    ++queue.in_cross_thread_send;
    lock.unlock();
    LRESULT result = call_procedure(sent->window, sent->message, sent->wparam, sent->lparam);
    lock.lock();
    --queue.in_cross_thread_send;
    sent->result = result;
    sent->done = true;
    sys().changed.notify_all();
  }
}

// Takes the next matching message: posted messages first, then WM_QUIT, then
// a due timer. Keyboard messages posted to the thread go to its focus window.
bool take_message(thread_queue& queue, HWND filter, UINT first, UINT last, bool remove, MSG* out) {
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (it->hwnd == nullptr && is_keyboard_message(it->message) && queue.focus != nullptr) {
      it->hwnd = queue.focus;
    }
    if (!filter_matches(filter, it->hwnd) || !range_matches(first, last, it->message)) continue;
    *out = *it;
    if (remove) {
      if (is_keyboard_message(it->message)) note_key_state(queue, *it);
      queue.posted.erase(it);
    }
    queue.last_message_time = out->time;
    return true;
  }
  if (queue.quit) {
    *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quit_code), 0, GetTickCount(), {}};
    if (remove) queue.quit = false;
    return true;
  }
  uint64_t now = now_ns();
  if (timer_entry* timer = due_timer(GetCurrentThreadId(), filter, first, last, now)) {
    *out = MSG{timer->window,  WM_TIMER, timer->id, reinterpret_cast<LPARAM>(timer->procedure),
               GetTickCount(), {}};
    if (remove) timer->due = now + timer->period;
    return true;
  }
  return false;
}

// The QS_* kinds of what waits in the queue.
DWORD queue_status(const thread_queue& queue, DWORD thread) {
  DWORD status = queue.sent.empty() ? 0 : QS_SENDMESSAGE;
  for (const MSG& message : queue.posted) {
    if (is_keyboard_message(message.message)) {
      status |= QS_KEY;
    } else if (is_mouse_button_message(message.message)) {
      status |= QS_MOUSEBUTTON;
    } else if (message.message == WM_MOUSEMOVE) {
      status |= QS_MOUSEMOVE;
    } else {
      status |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    }
  }
  if (queue.quit) status |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
  if (due_timer(thread, nullptr, 0, 0, now_ns()) != nullptr) status |= QS_TIMER;
  return status;
}

// Waits for the queue to change, or for the earliest timer of the thread.
// A replaced clock cannot be waited on, so it is looked at again every few
// milliseconds.
void wait_for_queue(lock_type& lock, DWORD thread, uint64_t limit_ns) {
  uint64_t wait_ns = limit_ns;
  uint64_t now = now_ns();
  for (const timer_entry& timer : sys().timers) {
    if (timer.thread != thread) continue;
    uint64_t until = timer.due > now ? timer.due - now : 0;
    wait_ns = std::min(wait_ns, sys().clock != nullptr ? uint64_t{5'000'000} : until);
  }
  // Waits too long for the clock's arithmetic count as waiting for ever.
  constexpr uint64_t forever_ns = uint64_t{1} << 62;
  if (wait_ns >= forever_ns) {
    sys().changed.wait(lock);
  } else {
    sys().changed.wait_for(lock, std::chrono::nanoseconds(wait_ns));
  }
}

bool post_to_queue(DWORD thread, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  queue_of(thread).posted.push_back(MSG{window, message, wparam, lparam, GetTickCount(), {}});
  sys().changed.notify_all();
  return true;
}

}  // namespace

BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  lock_type lock(sys().mutex);
  if (window == nullptr)
    return post_to_queue(GetCurrentThreadId(), nullptr, message, wparam, lparam);
  window_entry* entry = checked_window(window);
  if (entry == nullptr) return FALSE;
  return post_to_queue(entry->thread, window, message, wparam, lparam);
}

BOOL PostThreadMessageA(DWORD thread_id, UINT message, WPARAM wparam, LPARAM lparam) {
  lock_type lock(sys().mutex);
  return post_to_queue(thread_id, nullptr, message, wparam, lparam);
}

void PostQuitMessage(int exit_code) {
  lock_type lock(sys().mutex);
  thread_queue& queue = own_queue();
  queue.quit = true;
  queue.quit_code = exit_code;
  sys().changed.notify_all();
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  lock_type lock(sys().mutex);
  window_entry* entry = checked_window(window);
  if (entry == nullptr) return 0;
  DWORD caller = GetCurrentThreadId();
  if (entry->thread == caller) {
    WNDPROC procedure = entry->procedure;
    lock.unlock();
    return procedure(window, message, wparam, lparam);
  }
  // Another thread's window: the owner runs it when it next takes messages;
  // meanwhile this thread still answers what is sent to it.
  sent_message sent{window, message, wparam, lparam};
  queue_of(entry->thread).sent.push_back(&sent);
  sys().changed.notify_all();
  while (!sent.done) {
    run_sent_messages(lock, queue_of(caller));
    if (!sent.done) sys().changed.wait(lock);
  }
  return sent.result;
}

BOOL InSendMessage() {
  lock_type lock(sys().mutex);
  return own_queue().in_cross_thread_send > 0 ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG message, HWND window, UINT first, UINT last) {
  lock_type lock(sys().mutex);
  DWORD thread = GetCurrentThreadId();
  if (window != nullptr && window != reinterpret_cast<HWND>(-1)) {
    window_entry* entry = checked_window(window);
    if (entry == nullptr || entry->thread != thread) return -1;
  }
  if (message == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  thread_queue& queue = queue_of(thread);
  for (;;) {
    run_sent_messages(lock, queue);
    if (take_message(queue, window, first, last, true, message)) {
      return message->message == WM_QUIT ? FALSE : TRUE;
    }
    wait_for_queue(lock, thread, UINT64_MAX);
  }
}

BOOL PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
  lock_type lock(sys().mutex);
  thread_queue& queue = own_queue();
  run_sent_messages(lock, queue);
  MSG found{};
  if (!take_message(queue, window, first, last, (remove & PM_REMOVE) != 0, &found)) return FALSE;
  if (message != nullptr) *message = found;
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* message) {
  if (message == nullptr) return 0;
  if (message->message == WM_TIMER && message->lParam != 0) {
    auto procedure = reinterpret_cast<TIMERPROC>(message->lParam);
    procedure(message->hwnd, WM_TIMER, message->wParam, GetTickCount());
    return 0;
  }
  if (message->hwnd == nullptr) return 0;
  return call_procedure(message->hwnd, message->message, message->wParam, message->lParam);
}
DWORD GetMessageTime() {
  lock_type lock(sys().mutex);
  return own_queue().last_message_time;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL wait_all,
                                DWORD milliseconds, DWORD wake_mask) {
  if (wait_all || count >= MAXIMUM_WAIT_OBJECTS || (count > 0 && objects == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  // Kernel objects have no way to wake this wait, so they are looked at
  // again every millisecond while there are any.
  constexpr uint64_t object_poll_ns = 1'000'000;
  uint64_t start = monotonic_nanoseconds();
  uint64_t limit = milliseconds == INFINITE ? UINT64_MAX : uint64_t{milliseconds} * 1'000'000;
  DWORD thread = GetCurrentThreadId();
  for (;;) {
    for (DWORD i = 0; i < count; ++i) {
      if (WaitForSingleObject(objects[i], 0) == WAIT_OBJECT_0) return WAIT_OBJECT_0 + i;
    }
    lock_type lock(sys().mutex);
    if ((queue_status(queue_of(thread), thread) & wake_mask) != 0) return WAIT_OBJECT_0 + count;
    uint64_t elapsed = monotonic_nanoseconds() - start;
    if (elapsed >= limit) return WAIT_TIMEOUT;
    uint64_t wait = limit - elapsed;
    if (count > 0) wait = std::min(wait, object_poll_ns);
    wait_for_queue(lock, thread, wait);
  }
}

DWORD GetQueueStatus(UINT flags) {
  lock_type lock(sys().mutex);
  DWORD thread = GetCurrentThreadId();
  DWORD status = queue_status(queue_of(thread), thread) & flags;
  return (status << 16) | status;
}

}  // namespace plat
