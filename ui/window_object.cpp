// Opening and closing window structures.
#include "ui/thread_windows.h"
#include "ui/window_object.h"

#include <cstring>
#include <new>

#include "platform/process.h"
#include "services/heap.h"
#include "services/thread_records.h"
#include "ui/event_loop.h"
#include "ui/window_layer.h"

namespace ui {
namespace {

char* copy_text(const char* text) {
  std::size_t length = std::strlen(text);
  auto* copy = static_cast<char*>(svc::allocate(static_cast<std::uint32_t>(length + 1)));
  if (copy != nullptr) std::memcpy(copy, text, length + 1);
  return copy;
}

// A heap copy of a null-ended list of control variables (always at least
// the terminating null).
void** copy_controls(void* const* controls) {
  std::uint32_t count = 0;
  while (controls != nullptr && controls[count] != nullptr) ++count;
  auto** copy = static_cast<void**>(svc::allocate_zeroed(count + 1, sizeof(void*)));
  if (copy != nullptr && count > 0) std::memcpy(copy, controls, count * sizeof(void*));
  return copy;
}

void unlink_from_thread(WindowObject* window) {
  svc::ThreadRecord* thread = window->thread;
  if (thread == nullptr) return;
  for (WindowObject** link = &windows_of(*thread).windows; *link != nullptr;
       link = &(*link)->next_on_thread) {
    if (*link == window) {
      *link = window->next_on_thread;
      break;
    }
  }
  window->thread = nullptr;
}

void release_object(WindowObject* window) {
  release_window_image(&window->image);
  svc::release(window->module_name);
  svc::release(window->window_name);
  svc::release(window->controls);
  window->~WindowObject();
  svc::release(window);
}

}  // namespace

WindowObject* open_window_structure(const char* module_name, const char* window_name,
                                    void* const* controls) {
  void* block = svc::allocate_zeroed(1, window_object_size);
  if (block == nullptr) return nullptr;
  auto* window = new (block) WindowObject{};
  window->module_name = copy_text(module_name);
  window->window_name = copy_text(window_name);
  window->controls = copy_controls(controls);
  window->record = find_window_record(module_name, window_name, &window->image);
  if (window->module_name == nullptr || window->window_name == nullptr ||
      window->controls == nullptr || window->record == 0) {
    release_object(window);
    return nullptr;
  }
  const WindowRecord* record = window->image.record(window->record);
  window->attributes = record->attributes;
  window->flags = record->flags;
  window->x = record->x;
  window->y = record->y;
  window->width = record->width;
  window->height = record->height;
  return window;
}

void close_window(WindowObject* window) {
  if (window == nullptr) return;
  if (window->handle != nullptr) {
    plat::DestroyWindow(window->handle);
    plat::MSG message;
    while (plat::PeekMessageA(&message, nullptr, plat::WM_PAINT, plat::WM_PAINT, plat::PM_REMOVE)) {
      plat::DispatchMessageA(&message);
    }
  }
  if (window->class_name[0] != '\0') {
    plat::UnregisterClassA(window->class_name, window_layer().program_instance());
  }
  if (window_layer().frame == window) window_layer().frame = nullptr;
  unlink_from_thread(window);
  discard_events(window);
  release_object(window);
}

WindowObject* current_window() {
  svc::ThreadRecord* thread = svc::thread_records().find(plat::GetCurrentThreadId());
  return thread != nullptr ? windows_of(*thread).windows : nullptr;
}

WindowObject* window_of(plat::HWND handle) {
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<WindowObject*>(plat::GetWindowLongPtrA(handle, plat::GWLP_USERDATA));
}

}  // namespace ui
