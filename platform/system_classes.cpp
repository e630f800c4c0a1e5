// The system's own window classes: "button", "static" and the dialog class.
#include "platform/text.h"
#include "platform/user.h"
#include "platform/user_state.h"
#include "platform/window_internal.h"

namespace plat::detail {

bool is_class(HWND window, const char* name) {
  char class_name[16];
  return GetClassNameA(window, class_name, sizeof class_name) > 0 &&
         lstrcmpiA(class_name, name) == 0;
}

bool is_push_button(HWND window) {
  DWORD type = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & BS_TYPEMASK;
  return is_class(window, "button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

namespace {

LRESULT control_common(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SETFONT:
      SetWindowLongPtrA(window, control_font_index, static_cast<LONG_PTR>(wparam));
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrA(window, control_font_index);
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

LRESULT button_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case BM_CLICK:
    case WM_LBUTTONUP: {
      auto id = static_cast<WORD>(GetDlgCtrlID(window));
      SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(window));
      return 0;
    }
    case BM_SETSTYLE: {
      LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
      SetWindowLongPtrA(window, GWL_STYLE, (style & ~LONG_PTR{0xFFFF}) | (wparam & 0xFFFF));
      return 0;
    }
    default:
      return control_common(window, message, wparam, lparam);
  }
}

LRESULT static_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case STM_SETICON:
      return SetWindowLongPtrA(window, control_icon_index, static_cast<LONG_PTR>(wparam));
    case STM_GETICON:
      return GetWindowLongPtrA(window, control_icon_index);
    default:
      return control_common(window, message, wparam, lparam);
  }
}

// The dialog class runs the dialog procedure first; what it leaves alone
// goes to DefDlgProcA, unless the procedure called DefDlgProcA itself.
LRESULT dialog_class_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  dialog_state state;
  if (!dialog_of(dialog, &state) || state.procedure == nullptr) {
    return DefDlgProcA(dialog, message, wparam, lparam);
  }
  change_dialog(dialog, [](dialog_state& s) {
    ++s.in_procedure;
    s.default_done = false;
  });
  INT_PTR handled = state.procedure(dialog, message, wparam, lparam);
  bool default_done = false;
  change_dialog(dialog, [&](dialog_state& s) {
    --s.in_procedure;
    default_done = s.default_done;
  });
  if (handled != 0 || default_done) return handled;
  return DefDlgProcA(dialog, message, wparam, lparam);
}

const WNDCLASSA system_classes[] = {
    {0, button_procedure, 0, control_extra_bytes, nullptr, nullptr, nullptr, nullptr, nullptr,
     "button"},
    {0, static_procedure, 0, control_extra_bytes, nullptr, nullptr, nullptr, nullptr, nullptr,
     "static"},
    {0, dialog_class_procedure, 0, control_extra_bytes, nullptr, nullptr, nullptr, nullptr, nullptr,
     WC_DIALOG},
};

}  // namespace

const WNDCLASSA* system_window_class(LPCSTR class_name) {
  for (const WNDCLASSA& c : system_classes) {
    if (lstrcmpiA(c.lpszClassName, class_name) == 0) return &c;
  }
  return nullptr;
}

}  // namespace plat::detail
