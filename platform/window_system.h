// What the window, message, keyboard and timer calls share inside the
// platform layer: the window system's records and the helpers that read them.
//
// One mutex guards all bookkeeping; it is never held while a window procedure
// runs, so a procedure may call back into any window call.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window.h"

namespace plat::detail {

struct class_entry {
  std::string name;
  WNDCLASSA data;
};

struct window_entry {
  std::string class_name;
  WNDCLASSA window_class;
  WNDPROC procedure;
  HWND parent;  // the parent of a child, the owner of a top-level window
  DWORD style;
  DWORD ex_style;
  RECT rect;  // relative to the parent's client area for a child
  std::string text;
  DWORD thread;
  LONG_PTR id;
  HINSTANCE instance;
  std::vector<unsigned char> extra;
  LONG_PTR user_data = 0;
  bool destroying = false;
};

// A message sent from another thread, waiting for the owner thread.
struct sent_message {
  HWND window;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
  LRESULT result = 0;
  bool done = false;
};

struct thread_queue {
  std::deque<MSG> posted;
  std::deque<sent_message*> sent;
  bool quit = false;
  int quit_code = 0;
  int in_cross_thread_send = 0;
  HWND focus = nullptr;
  HWND active = nullptr;
  BYTE keys[256] = {};
  DWORD last_message_time = 0;
};

struct timer_entry {
  HWND window;
  UINT_PTR id;
  DWORD thread;
  TIMERPROC procedure;
  uint64_t period;
  uint64_t due;
};

// Timers fire no faster than this, as on the desktop.
constexpr UINT minimum_timer_ms = 10;
constexpr uintptr_t first_window_handle = 0x10010;
constexpr uintptr_t window_handle_step = 4;
constexpr UINT_PTR first_thread_timer_id = 0x7FFF0001;

struct window_system {
  std::mutex mutex;
  std::condition_variable changed;            // some queue received something
  std::map<uintptr_t, window_entry> windows;  // by handle, so in creation order
  std::vector<HWND> z_order;                  // top-level windows, topmost first
  std::vector<class_entry> classes;
  std::map<DWORD, thread_queue> queues;
  std::vector<timer_entry> timers;
  uintptr_t next_handle = first_window_handle;
  UINT_PTR next_timer_id = first_thread_timer_id;
  HWND foreground = nullptr;
  timer_clock clock = nullptr;
};

window_system& sys();

using lock_type = std::unique_lock<std::mutex>;

// Now on the timer clock: the test clock when one is set, else the monotonic one.
uint64_t now_ns();

inline uintptr_t key_of(HWND window) {
  return reinterpret_cast<uintptr_t>(window);
}

window_entry* find_window(HWND window);
// The entry, or null with last error 1400.
window_entry* checked_window(HWND window);
thread_queue& queue_of(DWORD thread);
thread_queue& own_queue();
// True when `window` is a child, grandchild, ... of `parent`.
bool is_descendant(HWND parent, HWND window);

// Whether a message with window `window` passes a GetMessage/PeekMessage
// window filter, and message `message` its range.
bool filter_matches(HWND filter, HWND window);
bool range_matches(UINT first, UINT last, UINT message);

bool is_keyboard_message(UINT message);
// Keeps the thread's key states (GetKeyState) as a key message is taken.
void note_key_state(thread_queue& queue, const MSG& message);

// A timer of `thread` that is due and passes the filter and range, or null.
timer_entry* due_timer(DWORD thread, HWND filter, UINT first, UINT last, uint64_t now);

}  // namespace plat::detail
