// Running a dialog: creating it and its controls from a template, the modal
// loop, keyboard navigation and the default button, behind the dialog calls
// of platform/user.h.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/last_error.h"
#include "platform/resource.h"
#include "platform/terminal.h"
#include "platform/text.h"
#include "platform/user.h"
#include "platform/user_state.h"
#include "platform/window_internal.h"

namespace plat {

using namespace detail;

namespace {

// The base units of `font`: the average width of the 52 letters, halved
// with rounding, and the cell height.
void base_units(HFONT font, LONG* x, LONG* y) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  HDC dc = GetDC(nullptr);
  if (font != nullptr) SelectObject(dc, font);
  SIZE extent{};
  TEXTMETRICA metrics{};
  GetTextExtentPoint32A(dc, letters, 52, &extent);
  GetTextMetricsA(dc, &metrics);
  ReleaseDC(nullptr, dc);
  *x = (extent.cx / 26 + 1) / 2;
  *y = metrics.tmHeight;
}

RECT to_pixels(short x, short y, short cx, short cy, LONG base_x, LONG base_y) {
  LONG left = MulDiv(x, base_x, 4);
  LONG top = MulDiv(y, base_y, 8);
  return RECT{left, top, left + MulDiv(cx, base_x, 4), top + MulDiv(cy, base_y, 8)};
}

HFONT template_font(const parsed_template& parsed) {
  if ((parsed.head.style & DS_SETFONT) == 0) return nullptr;
  HDC dc = GetDC(nullptr);
  int height = -MulDiv(parsed.point_size, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(nullptr, dc);
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, parsed.face.c_str());
}

bool create_controls(HWND dialog, HINSTANCE instance, const parsed_template& parsed,
                     const dialog_state& state) {
  for (const template_item& item : parsed.items) {
    RECT r =
        to_pixels(item.head.x, item.head.y, item.head.cx, item.head.cy, state.base_x, state.base_y);
    std::string title = item.title.starts_with('#') ? std::string() : item.title;
    HWND control =
        CreateWindowExA(item.head.dwExtendedStyle, item.class_name.c_str(), title.c_str(),
                        item.head.style | WS_CHILD, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, dialog, reinterpret_cast<HMENU>(uintptr_t{item.head.id}),
                        instance, const_cast<BYTE*>(item.creation_data));
    if (control == nullptr) return false;
    if (state.font != nullptr) {
      SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
    }
  }
  return true;
}

WORD default_button_id(const parsed_template& parsed) {
  for (const template_item& item : parsed.items) {
    if (item.class_name == "button" && (item.head.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return item.head.id;
    }
  }
  return IDOK;
}

HWND first_tab_stop(HWND dialog) {
  struct search {
    HWND found = nullptr;
  } s;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM lparam) {
        auto* found = reinterpret_cast<search*>(lparam);
        if ((GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP) == 0) return TRUE;
        found->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::vector<HWND> children_of(HWND dialog) {
  std::vector<HWND> children;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM lparam) {
        reinterpret_cast<std::vector<HWND>*>(lparam)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

std::string window_text(HWND window) {
  char text[1024];
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::vector<HWND> buttons_of(HWND dialog) {
  std::vector<HWND> buttons;
  for (HWND child : children_of(dialog)) {
    if (is_push_button(child)) buttons.push_back(child);
  }
  return buttons;
}

// Shows the dialog on the terminal and asks for a button; -1 at end of input.
int ask_terminal(HWND dialog, const std::vector<HWND>& buttons) {
  std::string shown(1, '\n');
  shown.append(window_text(dialog)).push_back('\n');
  for (HWND child : children_of(dialog)) {
    if (is_class(child, "static")) shown += window_text(child) + "\n";
  }
  for (size_t i = 0; i < buttons.size(); ++i) {
    shown += "  " + std::to_string(i + 1) + ": " +
             detail::text_without_prefixes(window_text(buttons[i]));
  }
  shown += "\n";
  std::erase(shown, '\r');  // line breaks of the texts are "\r\n"
  detail::write_to_terminal(shown);
  for (;;) {
    detail::write_to_terminal("Button (1-" + std::to_string(buttons.size()) + "): ");
    std::string line;
    if (!detail::read_terminal_line(line)) return -1;
    char* end = nullptr;
    long choice = std::strtol(line.c_str(), &end, 10);
    if (end != line.c_str() && choice >= 1 && static_cast<size_t>(choice) <= buttons.size()) {
      return static_cast<int>(choice - 1);
    }
  }
}

void press_default(HWND dialog) {
  LRESULT id = SendMessageA(dialog, DM_GETDEFID, 0, 0);
  HWND button = HIWORD(id) == DC_HASDEFID ? GetDlgItem(dialog, LOWORD(id)) : nullptr;
  if (button != nullptr) {
    SendMessageA(button, BM_CLICK, 0, 0);
  } else {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
}

// The modal loop found nothing to do: get input from the test hook, the
// terminal or the default button. A dialog that stays open without input
// ends with 0 instead of waiting for ever.
void supply_input(HWND dialog, int round) {
  constexpr int rounds_with_input = 64;
  bool hooked = user().input_hook != nullptr;
  bool asking = !hooked && detail::terminal_attached();
  if (round >= rounds_with_input || (!hooked && !asking && round > 0)) {
    EndDialog(dialog, 0);
    return;
  }
  if (hooked && user().input_hook(dialog)) return;
  std::vector<HWND> buttons = buttons_of(dialog);
  int choice = asking && !buttons.empty() ? ask_terminal(dialog, buttons) : -1;
  if (choice >= 0) {
    SendMessageA(buttons[static_cast<size_t>(choice)], BM_CLICK, 0, 0);
  } else {
    press_default(dialog);
  }
}

void run_modal_loop(HWND dialog) {
  int idle_rounds = 0;
  dialog_state state;
  while (dialog_of(dialog, &state) && !state.ended) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      supply_input(dialog, idle_rounds++);
      continue;
    }
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
      break;
    }
    // Typed keys that no window has yet go to the dialog.
    if (message.hwnd == nullptr && message.message >= WM_KEYDOWN && message.message <= WM_SYSCHAR) {
      message.hwnd = dialog;
    }
    if (!IsDialogMessageA(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

HWND create_dialog(HINSTANCE instance, const parsed_template& parsed, HWND owner,
                   dialog_state& state) {
  state.font = template_font(parsed);
  base_units(state.font, &state.base_x, &state.base_y);
  state.default_id = default_button_id(parsed);
  RECT r = to_pixels(parsed.head.x, parsed.head.y, parsed.head.cx, parsed.head.cy, state.base_x,
                     state.base_y);
  RECT owner_rect{};
  if (owner != nullptr && GetWindowRect(owner, &owner_rect)) {
    r = RECT{r.left + owner_rect.left, r.top + owner_rect.top, r.right + owner_rect.left,
             r.bottom + owner_rect.top};
  }
  const char* class_name = parsed.class_name.empty() ? WC_DIALOG : parsed.class_name.c_str();
  HWND dialog = CreateWindowExA(parsed.head.dwExtendedStyle, class_name, parsed.title.c_str(),
                                parsed.head.style & ~WS_VISIBLE, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, owner, nullptr, instance, nullptr);
  if (dialog == nullptr) return nullptr;
  {
    user_lock lock(user().mutex);
    user().dialogs[dialog] = state;
  }
  if (!create_controls(dialog, instance, parsed, state)) {
    DestroyWindow(dialog);
    return nullptr;
  }
  return dialog;
}

void forget_dialog(HWND dialog, HFONT font) {
  {
    user_lock lock(user().mutex);
    user().dialogs.erase(dialog);
  }
  if (font != nullptr) DeleteObject(font);
}

// Moves the focus to the next (or previous) tab stop after the focus.
void move_focus(HWND dialog, bool backwards) {
  std::vector<HWND> stops;
  for (HWND child : children_of(dialog)) {
    if ((GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP) != 0) stops.push_back(child);
  }
  if (stops.empty()) return;
  auto at = std::find(stops.begin(), stops.end(), GetFocus());
  size_t n = stops.size();
  size_t i = at == stops.end()
                 ? (backwards ? n - 1 : 0)
                 : (static_cast<size_t>(at - stops.begin()) + (backwards ? n - 1 : 1)) % n;
  SetFocus(stops[i]);
}

bool press_mnemonic(HWND dialog, char typed) {
  char wanted[2] = {typed, 0};
  CharUpperA(wanted);
  for (HWND button : buttons_of(dialog)) {
    std::string caption = window_text(button);
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
      if (caption[i] != '&') continue;
      if (caption[i + 1] == '&') {
        ++i;
        continue;
      }
      char marked[2] = {caption[i + 1], 0};
      CharUpperA(marked);
      if (marked[0] == wanted[0]) {
        SendMessageA(button, BM_CLICK, 0, 0);
        return true;
      }
      break;
    }
  }
  return false;
}

void press_enter(HWND dialog) {
  HWND focus = GetFocus();
  WORD id = 0;
  if (focus != nullptr && IsChild(dialog, focus) && is_push_button(focus)) {
    id = static_cast<WORD>(GetDlgCtrlID(focus));
  } else {
    LRESULT definition = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    id = HIWORD(definition) == DC_HASDEFID ? LOWORD(definition) : IDOK;
  }
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool dialog_key(HWND dialog, const MSG* message) {
  switch (static_cast<int>(message->wParam)) {
    case VK_ESCAPE:
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      return true;
    case VK_RETURN:
      press_enter(dialog);
      return true;
    case VK_TAB:
      move_focus(dialog, GetKeyState(VK_SHIFT) < 0);
      return true;
    case VK_SPACE: {
      HWND focus = GetFocus();
      if (focus != nullptr && IsChild(dialog, focus) && is_class(focus, "button")) {
        SendMessageA(focus, BM_CLICK, 0, 0);
      }
      return true;
    }
    default:
      TranslateMessage(message);
      return true;
  }
}

}  // namespace

// --- dialogs ---

INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, const DLGTEMPLATE* dialog_template, HWND owner,
                                DLGPROC procedure, LPARAM init_param) {
  if (dialog_template == nullptr || (owner != nullptr && !IsWindow(owner))) {
    SetLastError(dialog_template == nullptr ? ERROR_INVALID_PARAMETER
                                            : ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  parsed_template parsed = parse_template(dialog_template);
  dialog_state state;
  state.procedure = procedure;
  HWND dialog = create_dialog(instance, parsed, owner, state);
  if (dialog == nullptr) {
    if (state.font != nullptr) DeleteObject(state.font);
    return -1;
  }
  HWND focus = first_tab_stop(dialog);
  if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), init_param) != 0 &&
      focus != nullptr) {
    SetFocus(focus);
  }
  if ((parsed.head.style & WS_VISIBLE) != 0) ShowWindow(dialog, SW_SHOW);
  bool owner_was_enabled = owner != nullptr && !EnableWindow(owner, FALSE);
  run_modal_loop(dialog);
  if (owner_was_enabled) EnableWindow(owner, TRUE);
  dialog_of(dialog, &state);
  DestroyWindow(dialog);
  forget_dialog(dialog, state.font);
  return state.result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  bool found = false;
  change_dialog(dialog, [&](dialog_state& s) {
    s.ended = true;
    s.result = result;
    found = true;
  });
  if (!found) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return found ? TRUE : FALSE;
}

LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  change_dialog(dialog, [](dialog_state& s) {
    if (s.in_procedure > 0) s.default_done = true;
  });
  switch (message) {
    case WM_CLOSE:
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      return 0;
    case DM_GETDEFID: {
      dialog_state state;
      return dialog_of(dialog, &state)
                 ? static_cast<LRESULT>(MAKELPARAM(state.default_id, DC_HASDEFID))
                 : 0;
    }
    case DM_SETDEFID:
      change_dialog(dialog,
                    [wparam](dialog_state& s) { s.default_id = static_cast<WORD>(wparam); });
      return TRUE;
    case WM_NEXTDLGCTL:
      if (LOWORD(static_cast<UINT_PTR>(lparam)) != 0) {
        SetFocus(reinterpret_cast<HWND>(wparam));
      } else {
        move_focus(dialog, wparam != 0);
      }
      return 0;
    case WM_SETFONT:
      SetWindowLongPtrA(dialog, control_font_index, static_cast<LONG_PTR>(wparam));
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrA(dialog, control_font_index);
    default:
      return DefWindowProcA(dialog, message, wparam, lparam);
  }
}

BOOL IsDialogMessageA(HWND dialog, LPMSG message) {
  if (message == nullptr || (message->hwnd != dialog && !IsChild(dialog, message->hwnd)))
    return FALSE;
  switch (message->message) {
    case WM_KEYDOWN:
      return dialog_key(dialog, message) ? TRUE : FALSE;
    case WM_CHAR:
    case WM_SYSCHAR:
      press_mnemonic(dialog, static_cast<char>(message->wParam));
      return TRUE;
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
  dialog_state state;
  if (rect == nullptr || !dialog_of(dialog, &state)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = RECT{MulDiv(rect->left, state.base_x, 4), MulDiv(rect->top, state.base_y, 8),
               MulDiv(rect->right, state.base_x, 4), MulDiv(rect->bottom, state.base_y, 8)};
  return TRUE;
}

LONG GetDialogBaseUnits() {
  LONG x = 0;
  LONG y = 0;
  base_units(nullptr, &x, &y);
  return static_cast<LONG>(MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void set_dialog_input_hook(dialog_input_hook hook) {
  user_lock lock(user().mutex);
  user().input_hook = hook;
}

}  // namespace plat
