// The window object: a procedure's window structure as the runtime keeps it,
// from the moment the procedure opens it until it is closed, and the event
// record that carries one event to it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi.h"
#include "platform/window.h"
#include "ui/window_resource.h"

namespace svc {
struct ThreadRecord;
}

namespace ui {

// One event on its way to a window: a 38-byte heap record.
#pragma pack(push, 1)
struct EventRecord {
  std::uint32_t message;   // +0  0x1400 + the event code
  std::int32_t control;    // +4  the control it concerns; 0 for window events
  std::uint32_t window;    // +8  the window's handle when posted; 0 before it has one
  std::uint32_t wparam;    // +12 the message parameters
  std::uint32_t lparam;    // +16
  std::uint32_t key_code;  // +20 the thread's last key code when posted
  std::uint8_t character;  // +24 the thread's last character when posted
  std::uint8_t unused_25;  // +25
  std::uint32_t time;      // +26 the tick count when posted
  EventRecord* next;       // +30 the next record of the pending list
};
#pragma pack(pop)
static_assert(offsetof(EventRecord, control) == 4);
static_assert(offsetof(EventRecord, window) == 8);
static_assert(offsetof(EventRecord, key_code) == 20);
static_assert(offsetof(EventRecord, time) == 26);
static_assert(offsetof(EventRecord, next) == 30);
static_assert(sizeof(EventRecord) == 38);

inline constexpr int max_status_zones = 16;
inline constexpr std::size_t window_object_size = 508;
inline constexpr std::size_t class_name_size = 40;

// The state of one window, in a zeroed heap block of 508 bytes.
struct WindowObject {
  // Identity, from the procedure.
  char* module_name;  // heap copies
  char* window_name;
  void** controls;  // the control variables, null-ended (a heap copy)

  // The compiled window.
  WindowImage image;
  std::uint32_t record;              // image offset of the window record
  std::uint32_t attributes;          // the record's attribute bits
  std::uint32_t flags;               // the record's window flags
  std::int32_t x, y, width, height;  // dialog units or default_position

  // The live window.
  plat::HWND handle;
  char class_name[class_name_size];
  plat::UINT_PTR timer_id;
  plat::HMENU menu;
  void* toolbar;  // none of this program's windows has one
  std::int32_t status_zones[max_status_zones];
  std::int32_t status_zone_count;
  WindowObject* parent;
  WindowObject* next_on_thread;
  svc::ThreadRecord* thread;

  // The event loop.
  bool in_loop;          // ACCEPT has recorded its body
  std::int32_t nesting;  // body runs in progress (0 or 1)
  EventRecord* current_event;
  EventRecord* ready;          // delivered, waiting for the body to take it
  EventRecord* pending_first;  // waiting for delivery, oldest first
  EventRecord* pending_last;
  std::int32_t selected_control;
  bool creating;  // inside CreateWindowExA
  bool marked_for_closing;
  bool close_down_sent;
  bool suspended;
  bool shown_before;
  bool has_timer;
};
static_assert(sizeof(WindowObject) <= window_object_size);

// Opens the window structure `window_name` of module `module_name`: finds
// its record (runtime error 502 "WSLDIAL" when there is none) and returns a
// new window object holding the names, the record and a copy of the control
// list (`controls` null-ended; null for none). No window is created. Null
// only when the heap is exhausted.
WindowObject* open_window_structure(const char* module_name, const char* window_name,
                                    void* const* controls);

// Closes the window if it is open (its children go with it; pending paint
// messages of the thread are dispatched), unregisters its class and
// releases the object. Null does nothing.
void close_window(WindowObject* window);

// The calling thread's current window (the one it opened last), or null.
WindowObject* current_window();

// The window object behind a window handle, or null.
WindowObject* window_of(plat::HWND handle);

}  // namespace ui
