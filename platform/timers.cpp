// Timers: WM_TIMER messages are made when a due timer is taken from the
// queue, never stored, so a killed timer leaves none behind.
#include <algorithm>

#include "platform/clock.h"
#include "platform/last_error.h"
#include "platform/process.h"
#include "platform/window.h"
#include "platform/window_system.h"

namespace plat {
namespace detail {

uint64_t now_ns() {
  timer_clock clock = sys().clock;
  return clock != nullptr ? clock() : monotonic_nanoseconds();
}

timer_entry* due_timer(DWORD thread, HWND filter, UINT first, UINT last, uint64_t now) {
  if (!range_matches(first, last, WM_TIMER)) return nullptr;
  for (timer_entry& timer : sys().timers) {
    if (timer.thread == thread && timer.due <= now && filter_matches(filter, timer.window)) {
      return &timer;
    }
  }
  return nullptr;
}

}  // namespace detail

using namespace detail;

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC procedure) {
  lock_type lock(sys().mutex);
  if (window != nullptr && checked_window(window) == nullptr) return 0;
  DWORD thread = GetCurrentThreadId();
  uint64_t period = uint64_t{std::max(milliseconds, minimum_timer_ms)} * 1'000'000;
  auto& timers = sys().timers;
  auto same = std::find_if(timers.begin(), timers.end(), [&](const timer_entry& t) {
    return t.window == window && t.id == id && (window != nullptr || t.thread == thread);
  });
  if (same == timers.end() && window == nullptr) id = sys().next_timer_id++;
  timer_entry timer{window, id, thread, procedure, period, now_ns() + period};
  if (same != timers.end()) {
    *same = timer;
  } else {
    timers.push_back(timer);
  }
  sys().changed.notify_all();
  return id != 0 ? id : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  lock_type lock(sys().mutex);
  auto& timers = sys().timers;
  auto same = std::find_if(timers.begin(), timers.end(),
                           [&](const timer_entry& t) { return t.window == window && t.id == id; });
  if (same == timers.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  timers.erase(same);
  // A WM_TIMER already taken out of the queue stays with its taker; none
  // waits in the queue, as timer messages are made when they are taken.
  return TRUE;
}

}  // namespace plat
