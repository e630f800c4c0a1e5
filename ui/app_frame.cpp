// Window creation from records and the runtime's window procedure.
#include "ui/app_frame.h"
#include "ui/thread_windows.h"

#include <cstring>

#include "platform/dialog.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/user.h"
#include "services/error_state.h"
#include "services/runtime_error.h"
#include "services/runtime_lock.h"
#include "services/thread_records.h"
#include "ui/dialog_units.h"
#include "ui/event_codes.h"
#include "ui/event_loop.h"
#include "ui/icon_string.h"
#include "ui/window_layer.h"

namespace ui {
namespace {

constexpr const char* window_component = "WSLDIAL";
constexpr plat::WORD program_icon_resource = 32523;
constexpr plat::UINT_PTR frame_timer_id = 1;
constexpr plat::DWORD frame_base_style = plat::WS_CLIPCHILDREN;
constexpr plat::WPARAM size_minimized = 1;

enum FrameKind : std::uint32_t { single_line = 0, resizable = 1, double_line = 2, no_frame = 3 };

plat::HICON class_icon(const WindowObject* window, const WindowRecord* record) {
  const char* icon = window->image.text(record->icon);
  if (icon[0] != '\0') return load_icon_string(icon, static_cast<std::uint32_t>(std::strlen(icon)));
  if (window_layer().default_icon != nullptr) return window_layer().default_icon;
  return plat::LoadIconA(window_layer().program_instance(),
                         plat::MAKEINTRESOURCEA(program_icon_resource));
}

plat::HCURSOR class_cursor(const WindowObject* window, const WindowRecord* record) {
  const char* cursor = window->image.text(record->cursor);
  plat::HCURSOR loaded =
      cursor[0] != '\0' ? plat::LoadCursorA(window_layer().program_instance(), cursor) : nullptr;
  return loaded != nullptr ? loaded : plat::LoadCursorA(nullptr, plat::IDC_ARROW);
}

// Registers "BriWin<instance>Class<n>", n one higher for every class.
bool register_window_class(WindowObject* window, const WindowRecord* record) {
  WindowLayer& layer = window_layer();
  plat::HINSTANCE instance = layer.program_instance();
  ++layer.class_number;
  plat::wsprintfA(window->class_name, "BriWin%uClass%lu",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(instance)),
                  static_cast<unsigned long>(layer.class_number));
  plat::WNDCLASSA wc{};
  wc.lpfnWndProc = window_procedure;
  wc.cbWndExtra = 4;
  wc.hInstance = instance;
  wc.hIcon = class_icon(window, record);
  wc.hCursor = class_cursor(window, record);
  wc.lpszClassName = window->class_name;
  if (plat::RegisterClassA(&wc) != 0) return true;
  window->class_name[0] = '\0';
  return false;
}

void make_current_on_thread(WindowObject* window) {
  svc::ThreadRecord* thread = svc::thread_records().current();
  if (thread == nullptr || window->thread == thread) return;
  window->thread = thread;
  ThreadWindows& own = windows_of(*thread);
  window->next_on_thread = own.windows;
  own.windows = window;
}

// The steps every kind of window takes before its own creation; false when
// a runtime error stopped it.
bool begin_creation(WindowObject* window) {
  if (window->handle != nullptr) {
    svc::raise_runtime_error(svc::err::window_already_open);
    return false;
  }
  window->timer_id = 0;
  window->has_timer = false;
  window->in_loop = false;
  window->x = window->y = window->width = window->height = default_position;
  make_current_on_thread(window);
  const WindowRecord* record = window->image.record(window->record);
  if (!register_window_class(window, record)) {
    svc::raise_runtime_error(svc::err::internal_error_03, window_component);
    return false;
  }
  return true;
}

plat::LONG to_pixels(std::int32_t units, bool horizontal, const DialogUnits& du) {
  if (units == default_position) return plat::CW_USEDEFAULT;
  return horizontal ? du.x_to_pixels(units) : du.y_to_pixels(units);
}

void post_creation_events(WindowObject* window, const plat::CREATESTRUCTA* create) {
  post_event(window, event::OpenWindow, 0);
  bool minimized = (static_cast<plat::DWORD>(create->style) & plat::WS_MINIMIZE) != 0;
  if ((window->attributes & attribute_reports_moves) != 0 && !minimized) {
    post_event(window, event::Sized, 0);
  }
}

// The system asks whether it may end the session: not while a window of
// the program is open.
plat::LRESULT refuse_end_of_session(plat::HWND handle) {
  char path[260] = "";
  plat::GetModuleFileNameA(nullptr, path, sizeof path);
  // The caption is the program's file name without its folder and extension.
  char* name = path;
  for (char* p = path; *p != '\0'; ++p) {
    if (plat::is_path_separator(*p)) name = p + 1;
  }
  if (char* dot = std::strrchr(name, '.')) *dot = '\0';
  plat::BringWindowToTop(handle);
  plat::MessageBoxA(handle, still_active_text, name,
                    plat::MB_OK | plat::MB_ICONEXCLAMATION | plat::MB_SYSTEMMODAL);
  return plat::FALSE;
}

}  // namespace

plat::DWORD frame_style(std::uint32_t flags, bool has_icon, bool has_menu) {
  plat::DWORD style = 0;
  bool maximize_box = (flags & flag_maximize_box) != 0;
  if ((flags & flag_system_menu) != 0) style |= plat::WS_SYSMENU;
  if (maximize_box) style |= plat::WS_MAXIMIZEBOX | plat::WS_SYSMENU;
  if ((flags & flag_start_minimized) != 0) style |= plat::WS_MINIMIZE;
  if (has_icon) style |= plat::WS_MINIMIZEBOX | plat::WS_SYSMENU;
  switch ((flags & flag_frame_kind_mask) >> flag_frame_kind_shift) {
    case single_line:
      style |= plat::WS_BORDER;
      break;
    case resizable:
      style |= plat::WS_CAPTION | plat::WS_THICKFRAME;
      break;
    case double_line:
      style |= plat::WS_BORDER;
      if (!maximize_box && !has_icon && !has_menu) style |= plat::DS_MODALFRAME;
      break;
    default:
      break;
  }
  return style;
}

void create_application_frame(WindowObject* window) {
  if (!begin_creation(window)) return;
  WindowLayer& layer = window_layer();
  if (layer.frame != nullptr)
    return svc::raise_runtime_error(svc::err::application_already_active);
  if (layer.modal_windows > 0) return svc::raise_runtime_error(svc::err::application_system_modal);
  const WindowRecord* record = window->image.record(window->record);
  const char* title = window->image.text(record->title);
  bool has_icon = window->image.text(record->icon)[0] != '\0';
  // Menus, toolbars and palettes have definitions this program's windows
  // never hold; a true-colour screen needs no palette.
  window->status_zone_count = read_status_zones(window->image, record->first_status_zone,
                                                window->status_zones, max_status_zones);
  plat::DWORD style = frame_base_style | frame_style(record->flags, has_icon, false);
  if (title[0] != '\0') style |= plat::WS_CAPTION;
  DialogUnits du = measure_dialog_units(nullptr);
  window->x = record->x;
  window->y = record->y;
  window->width = record->width;
  window->height = record->height;
  window->creating = true;
  plat::HWND handle = plat::CreateWindowExA(
      0, window->class_name, title, style, to_pixels(record->x, true, du),
      to_pixels(record->y, false, du), to_pixels(record->width, true, du),
      to_pixels(record->height, false, du), nullptr, nullptr, layer.program_instance(), window);
  window->creating = false;
  if (handle == nullptr) return svc::raise_runtime_error(svc::err::unable_to_open_application);
  if (record->timer != 0) {
    window->timer_id = plat::SetTimer(handle, frame_timer_id, record->timer * 10, nullptr);
    window->has_timer = window->timer_id != 0;
  }
  layer.frame = window;
}

void window_timer(WindowObject* window) {
  post_event(window, event::Timer, 0);
}

plat::LRESULT window_procedure(plat::HWND handle, plat::UINT message, plat::WPARAM wparam,
                               plat::LPARAM lparam) {
  svc::WindowProcedureLock lock;
  if (message == plat::WM_NCCREATE) {
    const auto* create = reinterpret_cast<const plat::CREATESTRUCTA*>(lparam);
    auto* window = static_cast<WindowObject*>(create->lpCreateParams);
    plat::SetWindowLongPtrA(handle, plat::GWLP_USERDATA, reinterpret_cast<plat::LONG_PTR>(window));
    window->handle = handle;
    post_creation_events(window, create);
    return plat::DefWindowProcA(handle, message, wparam, lparam);
  }
  WindowObject* window = window_of(handle);
  if (window == nullptr) return plat::DefWindowProcA(handle, message, wparam, lparam);
  bool reports = (window->attributes & attribute_reports_moves) != 0 && !window->creating;
  switch (message) {
    case plat::WM_MOVE:
      if (reports) post_event(window, event::Moved, 0);
      return 0;
    case plat::WM_SIZE:
      if (reports && wparam != size_minimized) post_event(window, event::Sized, 0);
      return 0;
    case plat::WM_TIMER:
      if (window->has_timer && wparam == window->timer_id) window_timer(window);
      return 0;
    case plat::WM_CLOSE:
      post_event(window, event::CloseWindow, 0);
      return 0;
    case plat::WM_QUERYENDSESSION:
      return refuse_end_of_session(handle);
    case plat::WM_DESTROY:
      // Events still queued for the window die with it.
      discard_events(window);
      return 0;
    case plat::WM_NCDESTROY:
      plat::SetWindowLongPtrA(handle, plat::GWLP_USERDATA, 0);
      window->handle = nullptr;
      return 0;
    default:
      break;
  }
  if (message == event_carrier_message) {
    deliver_event(window, reinterpret_cast<EventRecord*>(lparam));
    return 0;
  }
  return plat::DefWindowProcA(handle, message, wparam, lparam);
}

}  // namespace ui
