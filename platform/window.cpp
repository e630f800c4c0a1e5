// The headless window system's windows and classes: creating, finding,
// moving, showing and destroying windows, their texts, extra bytes, focus and
// activation, behind the window calls of platform/window.h.
#include "platform/window.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/last_error.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/window_internal.h"
#include "platform/window_system.h"

namespace plat {
namespace detail {

window_system& sys() {
  static window_system instance;
  return instance;
}

window_entry* find_window(HWND window) {
  auto found = sys().windows.find(key_of(window));
  return found == sys().windows.end() ? nullptr : &found->second;
}

// The entry, or null with last error 1400.
window_entry* checked_window(HWND window) {
  window_entry* entry = find_window(window);
  if (entry == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return entry;
}

thread_queue& queue_of(DWORD thread) {
  return sys().queues[thread];
}
thread_queue& own_queue() {
  return queue_of(GetCurrentThreadId());
}

bool is_descendant(HWND parent, HWND window) {
  for (window_entry* entry = find_window(window); entry != nullptr;) {
    if ((entry->style & WS_CHILD) == 0) return false;
    if (entry->parent == parent) return true;
    entry = find_window(entry->parent);
  }
  return false;
}

}  // namespace detail

using namespace detail;

namespace {

bool same_name(const std::string& name, LPCSTR other) {
  return lstrcmpiA(name.c_str(), other) == 0;
}

void erase_window_traces(HWND window) {
  window_system& s = sys();
  s.z_order.erase(std::remove(s.z_order.begin(), s.z_order.end(), window), s.z_order.end());
  std::erase_if(s.timers, [window](const timer_entry& t) { return t.window == window; });
  for (auto& [thread, queue] : s.queues) {
    std::erase_if(queue.posted, [window](const MSG& m) { return m.hwnd == window; });
    if (queue.focus == window) queue.focus = nullptr;
    if (queue.active == window) queue.active = nullptr;
  }
  if (s.foreground == window) s.foreground = nullptr;
}

bool find_class(HINSTANCE instance, LPCSTR name, WNDCLASSA* out) {
  if (name == nullptr) return false;
  for (const class_entry& entry : sys().classes) {
    if (same_name(entry.name, name) && (instance == nullptr || entry.data.hInstance == instance ||
                                        entry.data.hInstance == nullptr)) {
      *out = entry.data;
      out->lpszClassName = entry.name.c_str();
      return true;
    }
  }
  if (const WNDCLASSA* system_class = detail::system_window_class(name)) {
    *out = *system_class;
    return true;
  }
  return false;
}

RECT default_rect(int x, int y, int width, int height) {
  constexpr LONG default_origin = 26;
  constexpr LONG default_width = 640;
  constexpr LONG default_height = 480;
  LONG left = x == CW_USEDEFAULT ? default_origin : x;
  LONG top = x == CW_USEDEFAULT || y == CW_USEDEFAULT ? default_origin : y;
  LONG w = width == CW_USEDEFAULT ? default_width : width;
  LONG h = width == CW_USEDEFAULT || height == CW_USEDEFAULT ? default_height : height;
  return RECT{left, top, left + w, top + h};
}

HWND add_window(window_entry entry) {
  window_system& s = sys();
  HWND handle = reinterpret_cast<HWND>(s.next_handle);
  s.next_handle += window_handle_step;
  bool top_level = (entry.style & WS_CHILD) == 0;
  s.windows.emplace(key_of(handle), std::move(entry));
  if (top_level) s.z_order.insert(s.z_order.begin(), handle);
  return handle;
}

void send_size(HWND window, const RECT& rect) {
  auto width = static_cast<WORD>(rect.right - rect.left);
  auto height = static_cast<WORD>(rect.bottom - rect.top);
  SendMessageA(window, WM_SIZE, 0, MAKELPARAM(width, height));
}

void send_move(HWND window, const RECT& rect) {
  SendMessageA(window, WM_MOVE, 0,
               MAKELPARAM(static_cast<WORD>(rect.left), static_cast<WORD>(rect.top)));
}

void destroy_tree(HWND window) {
  {
    lock_type lock(sys().mutex);
    window_entry* entry = find_window(window);
    if (entry == nullptr || entry->destroying) return;
    entry->destroying = true;
  }
  SendMessageA(window, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    lock_type lock(sys().mutex);
    for (auto& [key, entry] : sys().windows) {
      if ((entry.style & WS_CHILD) != 0 && entry.parent == window) {
        children.push_back(reinterpret_cast<HWND>(key));
      }
    }
  }
  for (HWND child : children) destroy_tree(child);
  SendMessageA(window, WM_NCDESTROY, 0, 0);
  lock_type lock(sys().mutex);
  erase_window_traces(window);
  sys().windows.erase(key_of(window));
}

// Makes `window` the calling thread's focus or active window and returns
// the one before; `changed` tells whether anything changed.
HWND replace_thread_window(HWND thread_queue::*slot, HWND window, bool* changed) {
  lock_type lock(sys().mutex);
  if (window != nullptr && checked_window(window) == nullptr) return nullptr;
  HWND previous = own_queue().*slot;
  own_queue().*slot = window;
  *changed = previous != window;
  return previous;
}

// Reads or writes a value of the window's extra bytes; false with 1413 when
// it does not lie inside them.
template <class Value>
bool access_extra(window_entry* entry, int index, Value* read, const Value* written) {
  if (index < 0 || static_cast<size_t>(index) + sizeof(Value) > entry->extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return false;
  }
  std::memcpy(read, entry->extra.data() + index, sizeof(Value));
  if (written != nullptr) std::memcpy(entry->extra.data() + index, written, sizeof(Value));
  return true;
}

template <class Field>
BOOL read_window(HWND window, Field field) {
  lock_type lock(sys().mutex);
  window_entry* entry = checked_window(window);
  return entry == nullptr ? FALSE : field(*entry);
}

}  // namespace

// --- classes and windows ---

ATOM RegisterClassA(const WNDCLASSA* window_class) {
  if (window_class == nullptr || window_class->lpfnWndProc == nullptr ||
      window_class->lpszClassName == nullptr || IS_INTRESOURCE(window_class->lpszClassName) ||
      window_class->cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  lock_type lock(sys().mutex);
  WNDCLASSA existing;
  if (find_class(window_class->hInstance, window_class->lpszClassName, &existing) &&
      (existing.hInstance == window_class->hInstance || existing.hInstance == nullptr)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  sys().classes.push_back(class_entry{window_class->lpszClassName, *window_class});
  constexpr ATOM first_class_atom = 0xC000;
  return static_cast<ATOM>(first_class_atom + sys().classes.size());
}

BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE instance) {
  lock_type lock(sys().mutex);
  auto& classes = sys().classes;
  auto found = std::find_if(classes.begin(), classes.end(), [&](const class_entry& e) {
    return class_name != nullptr && same_name(e.name, class_name) && e.data.hInstance == instance;
  });
  if (found == classes.end()) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  classes.erase(found);
  return TRUE;
}

BOOL GetClassInfoA(HINSTANCE instance, LPCSTR class_name, WNDCLASSA* window_class) {
  lock_type lock(sys().mutex);
  if (window_class == nullptr || !find_class(instance, class_name, window_class)) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  return TRUE;
}

HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  window_entry entry{};
  HWND handle = nullptr;
  {
    lock_type lock(sys().mutex);
    if (!find_class(instance, class_name, &entry.window_class)) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    if ((style & WS_CHILD) != 0 && parent == nullptr) {
      SetLastError(ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    if (parent != nullptr && checked_window(parent) == nullptr) return nullptr;
    entry.class_name = entry.window_class.lpszClassName;
    entry.procedure = entry.window_class.lpfnWndProc;
    entry.parent = parent;
    entry.style = style;
    entry.ex_style = ex_style;
    entry.rect = default_rect(x, y, width, height);
    entry.text = window_name != nullptr ? window_name : "";
    entry.thread = GetCurrentThreadId();
    entry.id = reinterpret_cast<LONG_PTR>(menu);
    entry.instance = instance;
    entry.extra.assign(static_cast<size_t>(entry.window_class.cbWndExtra), 0);
    handle = add_window(std::move(entry));
  }
  CREATESTRUCTA create{
      param,       instance,   menu,    parent, height, width, y, x, static_cast<LONG>(style),
      window_name, class_name, ex_style};
  auto create_lparam = reinterpret_cast<LPARAM>(&create);
  if (SendMessageA(handle, WM_NCCREATE, 0, create_lparam) == 0 ||
      SendMessageA(handle, WM_CREATE, 0, create_lparam) == -1) {
    destroy_tree(handle);
    return nullptr;
  }
  RECT rect{};
  {
    lock_type lock(sys().mutex);
    window_entry* created = find_window(handle);
    if (created == nullptr) return nullptr;  // destroyed while being created
    rect = created->rect;
  }
  send_size(handle, rect);
  send_move(handle, rect);
  if ((style & WS_VISIBLE) != 0) SendMessageA(handle, WM_SHOWWINDOW, TRUE, 0);
  return IsWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND window) {
  {
    lock_type lock(sys().mutex);
    window_entry* entry = checked_window(window);
    if (entry == nullptr) return FALSE;
    if (entry->thread != GetCurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
  }
  destroy_tree(window);
  return TRUE;
}

BOOL IsWindow(HWND window) {
  lock_type lock(sys().mutex);
  window_entry* entry = find_window(window);
  return entry != nullptr ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND window) {
  lock_type lock(sys().mutex);
  return is_descendant(parent, window) ? TRUE : FALSE;
}

HWND GetParent(HWND window) {
  lock_type lock(sys().mutex);
  window_entry* entry = checked_window(window);
  return entry == nullptr ? nullptr : entry->parent;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lparam) {
  std::vector<HWND> found;
  {
    lock_type lock(sys().mutex);
    for (auto& [key, entry] : sys().windows) {
      auto handle = reinterpret_cast<HWND>(key);
      if (parent == nullptr ? (entry.style & WS_CHILD) == 0 : is_descendant(parent, handle)) {
        found.push_back(handle);
      }
    }
  }
  for (HWND child : found) {
    if (IsWindow(child) && !callback(child, lparam)) return FALSE;
  }
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  lock_type lock(sys().mutex);
  for (auto& [key, entry] : sys().windows) {
    if ((entry.style & WS_CHILD) != 0 && entry.parent == dialog &&
        static_cast<int>(entry.id) == id) {
      return reinterpret_cast<HWND>(key);
    }
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

int GetDlgCtrlID(HWND window) {
  return read_window(window, [](window_entry& e) { return static_cast<BOOL>(e.id); });
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD process_id) {
  lock_type lock(sys().mutex);
  window_entry* entry = checked_window(window);
  if (entry == nullptr) return 0;
  if (process_id != nullptr) *process_id = GetCurrentProcessId();
  return entry->thread;
}

int GetClassNameA(HWND window, LPSTR buffer, int size) {
  lock_type lock(sys().mutex);
  window_entry* entry = checked_window(window);
  if (entry == nullptr || buffer == nullptr || size <= 0) return 0;
  size_t n = std::min(entry->class_name.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, entry->class_name.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  lock_type lock(sys().mutex);
  window_entry* entry = checked_window(window);
  if (entry == nullptr) return 0;
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(entry->procedure);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(entry->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(entry->parent);
    case GWL_ID:
      return entry->id;
    case GWL_STYLE:
      return static_cast<LONG>(entry->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(entry->ex_style);
    case GWLP_USERDATA:
      return entry->user_data;
    default:
      break;
  }
  LONG_PTR value = 0;
  access_extra<LONG_PTR>(entry, index, &value, nullptr);
  return value;
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  lock_type lock(sys().mutex);
  window_entry* entry = checked_window(window);
  if (entry == nullptr) return 0;
  LONG_PTR previous = 0;
  switch (index) {
    case GWLP_WNDPROC:
      previous = reinterpret_cast<LONG_PTR>(entry->procedure);
      entry->procedure = reinterpret_cast<WNDPROC>(value);
      return previous;
    case GWL_ID:
      previous = entry->id;
      entry->id = value;
      return previous;
    case GWL_STYLE:
      previous = static_cast<LONG>(entry->style);
      entry->style = static_cast<DWORD>(value);
      return previous;
    case GWL_EXSTYLE:
      previous = static_cast<LONG>(entry->ex_style);
      entry->ex_style = static_cast<DWORD>(value);
      return previous;
    case GWLP_USERDATA:
      previous = entry->user_data;
      entry->user_data = value;
      return previous;
    default:
      break;
  }
  access_extra<LONG_PTR>(entry, index, &previous, &value);
  return previous;
}

LONG GetWindowLongA(HWND window, int index) {
  if (index < 0) return static_cast<LONG>(GetWindowLongPtrA(window, index));
  lock_type lock(sys().mutex);
  window_entry* entry = checked_window(window);
  LONG value = 0;
  if (entry != nullptr) access_extra<LONG>(entry, index, &value, nullptr);
  return value;
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  if (index < 0) return static_cast<LONG>(SetWindowLongPtrA(window, index, value));
  lock_type lock(sys().mutex);
  window_entry* entry = checked_window(window);
  LONG previous = 0;
  if (entry != nullptr) access_extra<LONG>(entry, index, &previous, &value);
  return previous;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (!IsWindow(window)) return read_window(window, [](window_entry&) { return FALSE; });
  SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : ""));
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  return static_cast<int>(SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size),
                                       reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND window) {
  return static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
}

BOOL ShowWindow(HWND window, int command) {
  BOOL was_visible = FALSE;
  bool now_visible = false;
  {
    lock_type lock(sys().mutex);
    window_entry* entry = checked_window(window);
    if (entry == nullptr) return FALSE;
    was_visible = (entry->style & WS_VISIBLE) != 0;
    DWORD& style = entry->style;
    switch (command) {
      case SW_HIDE:
        style &= ~WS_VISIBLE;
        break;
      case SW_MINIMIZE:
      case SW_SHOWMINIMIZED:
        style = (style & ~WS_MAXIMIZE) | WS_MINIMIZE | WS_VISIBLE;
        break;
      case SW_SHOWMAXIMIZED:
        style = (style & ~WS_MINIMIZE) | WS_MAXIMIZE | WS_VISIBLE;
        break;
      case SW_SHOWNORMAL:
      case SW_RESTORE:
        style = (style & ~(WS_MINIMIZE | WS_MAXIMIZE)) | WS_VISIBLE;
        break;
      default:
        style |= WS_VISIBLE;
        break;
    }
    now_visible = (style & WS_VISIBLE) != 0;
  }
  if (now_visible != (was_visible != FALSE)) SendMessageA(window, WM_SHOWWINDOW, now_visible, 0);
  return was_visible;
}

BOOL IsWindowVisible(HWND window) {
  return read_window(window, [](window_entry& e) { return BOOL{(e.style & WS_VISIBLE) != 0}; });
}

BOOL IsIconic(HWND window) {
  return read_window(window, [](window_entry& e) { return BOOL{(e.style & WS_MINIMIZE) != 0}; });
}

BOOL EnableWindow(HWND window, BOOL enable) {
  BOOL was_disabled = FALSE;
  {
    lock_type lock(sys().mutex);
    window_entry* entry = checked_window(window);
    if (entry == nullptr) return FALSE;
    was_disabled = (entry->style & WS_DISABLED) != 0;
    entry->style = enable ? entry->style & ~WS_DISABLED : entry->style | WS_DISABLED;
  }
  if ((was_disabled != FALSE) == (enable != FALSE)) SendMessageA(window, WM_ENABLE, enable, 0);
  return was_disabled;
}

BOOL IsWindowEnabled(HWND window) {
  return read_window(window, [](window_entry& e) { return BOOL{(e.style & WS_DISABLED) == 0}; });
}

// Nothing is ever drawn, so nothing is ever invalid: no WM_PAINT is pending.
BOOL UpdateWindow(HWND window) {
  return read_window(window, [](window_entry&) { return TRUE; });
}
BOOL InvalidateRect(HWND window, const RECT*, BOOL) {
  return window == nullptr ? TRUE : read_window(window, [](window_entry&) { return TRUE; });
}

BOOL IntersectRect(LPRECT result, const RECT* first, const RECT* second) {
  if (result == nullptr || first == nullptr || second == nullptr) return FALSE;
  RECT overlap{std::max(first->left, second->left), std::max(first->top, second->top),
               std::min(first->right, second->right), std::min(first->bottom, second->bottom)};
  bool empty = overlap.left >= overlap.right || overlap.top >= overlap.bottom;
  *result = empty ? RECT{} : overlap;
  return empty ? FALSE : TRUE;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  lock_type lock(sys().mutex);
  window_entry* entry = checked_window(window);
  if (entry == nullptr || rect == nullptr) return FALSE;
  *rect = entry->rect;
  for (window_entry* up = entry; (up->style & WS_CHILD) != 0;) {
    up = find_window(up->parent);
    if (up == nullptr) break;
    rect->left += up->rect.left;
    rect->right += up->rect.left;
    rect->top += up->rect.top;
    rect->bottom += up->rect.top;
  }
  return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  return read_window(window, [rect](window_entry& e) {
    if (rect == nullptr) return FALSE;
    *rect = RECT{0, 0, e.rect.right - e.rect.left, e.rect.bottom - e.rect.top};
    return TRUE;
  });
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
  return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int cx, int cy, UINT flags) {
  RECT before{};
  RECT after{};
  bool top_level = false;
  {
    lock_type lock(sys().mutex);
    window_entry* entry = checked_window(window);
    if (entry == nullptr) return FALSE;
    before = entry->rect;
    RECT& rect = entry->rect;
    if ((flags & SWP_NOMOVE) == 0) {
      rect = RECT{x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
    }
    if ((flags & SWP_NOSIZE) == 0) rect = RECT{rect.left, rect.top, rect.left + cx, rect.top + cy};
    after = rect;
    top_level = (entry->style & WS_CHILD) == 0;
    if ((flags & SWP_NOZORDER) == 0 && top_level) {
      if (insert_after == HWND_TOPMOST) entry->ex_style |= WS_EX_TOPMOST;
      if (insert_after == HWND_NOTOPMOST) entry->ex_style &= ~WS_EX_TOPMOST;
      auto& z = sys().z_order;
      z.erase(std::remove(z.begin(), z.end(), window), z.end());
      auto where = z.begin();
      if (insert_after == HWND_BOTTOM) {
        where = z.end();
      } else if (insert_after != HWND_TOP && insert_after != HWND_TOPMOST &&
                 insert_after != HWND_NOTOPMOST) {
        where = std::find(z.begin(), z.end(), insert_after);
        if (where != z.end()) ++where;
      }
      z.insert(where, window);
    }
  }
  if ((flags & SWP_SHOWWINDOW) != 0) ShowWindow(window, SW_SHOW);
  if ((flags & SWP_HIDEWINDOW) != 0) ShowWindow(window, SW_HIDE);
  bool resized = before.right - before.left != after.right - after.left ||
                 before.bottom - before.top != after.bottom - after.top;
  if (resized) send_size(window, after);
  if (before.left != after.left || before.top != after.top) send_move(window, after);
  if ((flags & SWP_NOACTIVATE) == 0 && top_level) SetActiveWindow(window);
  return TRUE;
}

BOOL BringWindowToTop(HWND window) {
  return SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

HWND GetTopWindow(HWND parent) {
  lock_type lock(sys().mutex);
  if (parent == nullptr) return sys().z_order.empty() ? nullptr : sys().z_order.front();
  for (auto& [key, entry] : sys().windows) {
    if ((entry.style & WS_CHILD) != 0 && entry.parent == parent) return reinterpret_cast<HWND>(key);
  }
  return nullptr;
}

HWND GetActiveWindow() {
  lock_type lock(sys().mutex);
  return own_queue().active;
}

HWND SetActiveWindow(HWND window) {
  bool changed = false;
  HWND previous = replace_thread_window(&thread_queue::active, window, &changed);
  if (!changed) return previous;
  constexpr WPARAM inactive = 0;
  constexpr WPARAM active = 1;
  if (previous != nullptr) SendMessageA(previous, WM_ACTIVATE, inactive, 0);
  if (window != nullptr) SendMessageA(window, WM_ACTIVATE, active, 0);
  return previous;
}

BOOL SetForegroundWindow(HWND window) {
  {
    lock_type lock(sys().mutex);
    if (checked_window(window) == nullptr) return FALSE;
    sys().foreground = window;
  }
  SetActiveWindow(window);
  return TRUE;
}

HWND GetForegroundWindow() {
  lock_type lock(sys().mutex);
  return sys().foreground;
}

HWND GetFocus() {
  lock_type lock(sys().mutex);
  return own_queue().focus;
}

HWND SetFocus(HWND window) {
  bool changed = false;
  HWND previous = replace_thread_window(&thread_queue::focus, window, &changed);
  if (!changed) return previous;
  if (previous != nullptr && IsWindow(previous)) {
    SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  }
  if (window != nullptr) SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_SETTEXT: {
      lock_type lock(sys().mutex);
      window_entry* entry = find_window(window);
      if (entry == nullptr) return FALSE;
      entry->text = lparam != 0 ? reinterpret_cast<LPCSTR>(lparam) : "";
      return TRUE;
    }
    case WM_GETTEXT: {
      lock_type lock(sys().mutex);
      window_entry* entry = find_window(window);
      auto* buffer = reinterpret_cast<LPSTR>(lparam);
      if (entry == nullptr || buffer == nullptr || wparam == 0) return 0;
      size_t n = std::min(entry->text.size(), static_cast<size_t>(wparam - 1));
      std::memcpy(buffer, entry->text.data(), n);
      buffer[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
      lock_type lock(sys().mutex);
      window_entry* entry = find_window(window);
      return entry == nullptr ? 0 : static_cast<LRESULT>(entry->text.size());
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    default:
      return 0;
  }
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wparam,
                        LPARAM lparam) {
  return procedure == nullptr ? 0 : procedure(window, message, wparam, lparam);
}
// --- test hooks ---

void set_timer_clock(timer_clock clock) {
  lock_type lock(sys().mutex);
  sys().clock = clock;
}

void reset_window_system() {
  {
    lock_type lock(sys().mutex);
    window_system& s = sys();
    s.windows.clear();
    s.z_order.clear();
    s.classes.clear();
    s.queues.clear();
    s.timers.clear();
    s.foreground = nullptr;
    s.clock = nullptr;
    s.next_timer_id = first_thread_timer_id;
  }
  detail::reset_dialog_state();
}

}  // namespace plat
