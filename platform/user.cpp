// Dialogs, metrics, icons, menus and colours of the headless window system.
#include "platform/user.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/last_error.h"
#include "platform/resource.h"
#include "platform/text.h"
#include "platform/terminal.h"
#include "platform/window_internal.h"

namespace plat {
namespace {

// --- shared state ---

struct dialog_state {
  DLGPROC procedure = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  WORD default_id = IDOK;
  HFONT font = nullptr;
  LONG base_x = 0;
  LONG base_y = 0;
  int in_procedure = 0;
  bool default_done = false;
};

struct user_state {
  std::mutex mutex;
  std::map<HWND, dialog_state> dialogs;
  std::map<HMENU, std::vector<UINT>> menus;
  std::map<HWND, HMENU> system_menus;
  uintptr_t next_menu = 0x40000;
  int beeps = 0;
  dialog_input_hook input_hook = nullptr;
};

user_state& user() {
  static user_state instance;
  return instance;
}

using lock_type = std::lock_guard<std::mutex>;

// Copies the dialog's state out, so that no lock is held while it is used.
bool dialog_of(HWND dialog, dialog_state* out) {
  lock_type lock(user().mutex);
  auto found = user().dialogs.find(dialog);
  if (found == user().dialogs.end()) return false;
  if (out != nullptr) *out = found->second;
  return true;
}

template <class Change>
void change_dialog(HWND dialog, Change change) {
  lock_type lock(user().mutex);
  auto found = user().dialogs.find(dialog);
  if (found != user().dialogs.end()) change(found->second);
}

// --- the system classes ---

// Extra bytes of the system controls: the font, then the icon.
constexpr int control_font_index = 0;
constexpr int control_icon_index = sizeof(LONG_PTR);
constexpr int control_extra_bytes = 2 * sizeof(LONG_PTR);

bool is_class(HWND window, const char* name) {
  char class_name[16];
  return GetClassNameA(window, class_name, sizeof class_name) > 0 &&
         lstrcmpiA(class_name, name) == 0;
}

bool is_push_button(HWND window) {
  DWORD type = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & BS_TYPEMASK;
  return is_class(window, "button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

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

// --- reading a dialog template ---

struct template_item {
  DLGITEMTEMPLATE head;
  std::string class_name;
  std::string title;
  const BYTE* creation_data;
};

struct parsed_template {
  DLGTEMPLATE head;
  std::string class_name;
  std::string title;
  WORD point_size = 0;
  std::string face;
  std::vector<template_item> items;
};

WORD read_word(const BYTE*& p) {
  WORD value;
  std::memcpy(&value, p, sizeof value);
  p += sizeof value;
  return value;
}

// A 16-bit string; characters past one byte become "?".
std::string read_string(const BYTE*& p) {
  std::string text;
  for (WORD c = read_word(p); c != 0; c = read_word(p))
    text += c < 0x100 ? static_cast<char>(c) : '?';
  return text;
}

// A name or an ordinal; an ordinal comes back as "#n".
std::string read_name_or_ordinal(const BYTE*& p) {
  WORD first;
  std::memcpy(&first, p, sizeof first);
  if (first == 0) {
    p += sizeof first;
    return {};
  }
  if (first == 0xFFFF) {
    p += sizeof first;
    std::string ordinal(1, '#');
    return ordinal.append(std::to_string(read_word(p)));
  }
  return read_string(p);
}

const char* class_of_atom(const std::string& name) {
  if (name == "#128") return "button";
  if (name == "#129") return "edit";
  if (name == "#130") return "static";
  return nullptr;
}

parsed_template parse_template(const DLGTEMPLATE* source) {
  parsed_template parsed;
  const auto* p = reinterpret_cast<const BYTE*>(source);
  std::memcpy(&parsed.head, p, sizeof parsed.head);
  p += sizeof parsed.head;
  read_name_or_ordinal(p);  // the menu: a dialog here has none
  parsed.class_name = read_name_or_ordinal(p);
  parsed.title = read_string(p);
  if ((parsed.head.style & DS_SETFONT) != 0) {
    parsed.point_size = read_word(p);
    parsed.face = read_string(p);
  }
  for (WORD i = 0; i < parsed.head.cdit; ++i) {
    p = reinterpret_cast<const BYTE*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3});
    template_item item{};
    std::memcpy(&item.head, p, sizeof item.head);
    p += sizeof item.head;
    item.class_name = read_name_or_ordinal(p);
    if (const char* known = class_of_atom(item.class_name)) item.class_name = known;
    item.title = read_name_or_ordinal(p);
    WORD extra = read_word(p);
    item.creation_data = extra != 0 ? p : nullptr;
    p += extra;
    parsed.items.push_back(std::move(item));
  }
  return parsed;
}

// --- running a dialog ---

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
    lock_type lock(user().mutex);
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
    lock_type lock(user().mutex);
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

namespace detail {

const WNDCLASSA* system_window_class(LPCSTR class_name) {
  for (const WNDCLASSA& c : system_classes) {
    if (lstrcmpiA(c.lpszClassName, class_name) == 0) return &c;
  }
  return nullptr;
}

void reset_dialog_state() {
  lock_type lock(user().mutex);
  user().dialogs.clear();
  user().menus.clear();
  user().system_menus.clear();
  user().beeps = 0;
  user().input_hook = nullptr;
}

}  // namespace detail

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
  lock_type lock(user().mutex);
  user().input_hook = hook;
}

// --- metrics and sound ---

int GetSystemMetrics(int index) {
  struct metric {
    int index;
    int value;
  };
  static constexpr metric metrics[] = {
      {SM_CXSCREEN, 1024}, {SM_CYSCREEN, 768}, {SM_CXVSCROLL, 16},      {SM_CYHSCROLL, 16},
      {SM_CYCAPTION, 18},  {SM_CXBORDER, 1},   {SM_CYBORDER, 1},        {SM_CXDLGFRAME, 3},
      {SM_CYDLGFRAME, 3},  {SM_CXICON, 32},    {SM_CYICON, 32},         {SM_CXCURSOR, 32},
      {SM_CYCURSOR, 32},   {SM_CYMENU, 19},    {SM_CXFULLSCREEN, 1024}, {SM_CYFULLSCREEN, 731},
      {SM_CXFRAME, 4},     {SM_CYFRAME, 4},
  };
  for (const metric& m : metrics) {
    if (m.index == index) return m.value;
  }
  return 0;
}

BOOL MessageBeep(UINT) {
  lock_type lock(user().mutex);
  ++user().beeps;
  return TRUE;
}

int message_beep_count() {
  lock_type lock(user().mutex);
  return user().beeps;
}

// --- icons ---

namespace {

constexpr uintptr_t system_icon_base = 0x50000;
constexpr WORD first_system_icon = 32512;
constexpr WORD last_system_icon = 32517;

}  // namespace

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (instance == nullptr) {
    auto id = reinterpret_cast<uintptr_t>(name);
    if (IS_INTRESOURCE(name) && id >= first_system_icon && id <= last_system_icon) {
      return reinterpret_cast<HICON>(system_icon_base + id);
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  HRSRC found = FindResourceA(instance, name, RT_GROUP_ICON);
  return reinterpret_cast<HICON>(found);
}

HICON ExtractIconA(HINSTANCE, LPCSTR, UINT) {
  return nullptr;
}

BOOL DrawIcon(HDC dc, int, int, HICON icon) {
  return dc != nullptr && icon != nullptr ? TRUE : FALSE;
}

BOOL DestroyIcon(HICON icon) {
  return icon != nullptr ? TRUE : FALSE;
}

// --- menus ---

namespace {

HMENU new_menu(std::vector<UINT> items) {
  lock_type lock(user().mutex);
  auto menu = reinterpret_cast<HMENU>(user().next_menu);
  user().next_menu += 4;
  user().menus[menu] = std::move(items);
  return menu;
}

template <class Use>
auto with_menu(HMENU menu, Use use) -> decltype(use(std::declval<std::vector<UINT>&>())) {
  lock_type lock(user().mutex);
  auto found = user().menus.find(menu);
  if (found == user().menus.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return {};
  }
  return use(found->second);
}

}  // namespace

HMENU GetSystemMenu(HWND window, BOOL revert) {
  if ((GetWindowLongPtrA(window, GWL_STYLE) & WS_SYSMENU) == 0) return nullptr;
  HMENU existing = nullptr;
  {
    lock_type lock(user().mutex);
    auto found = user().system_menus.find(window);
    if (found != user().system_menus.end()) existing = found->second;
  }
  if (revert) {
    if (existing != nullptr) DestroyMenu(existing);
    lock_type lock(user().mutex);
    user().system_menus.erase(window);
    return nullptr;
  }
  if (existing != nullptr) return existing;
  HMENU menu =
      new_menu({SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE, SC_TASKLIST});
  lock_type lock(user().mutex);
  user().system_menus[window] = menu;
  return menu;
}

HMENU CreateMenu() {
  return new_menu({});
}

BOOL DestroyMenu(HMENU menu) {
  lock_type lock(user().mutex);
  if (user().menus.erase(menu) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT item, UINT flags) {
  return with_menu(menu, [&](std::vector<UINT>& items) -> BOOL {
    auto at = (flags & MF_BYPOSITION) != 0
                  ? (item < items.size() ? items.begin() + item : items.end())
                  : std::find(items.begin(), items.end(), item);
    if (at == items.end()) return FALSE;
    items.erase(at);
    return TRUE;
  });
}

BOOL DeleteMenu(HMENU menu, UINT item, UINT flags) {
  return RemoveMenu(menu, item, flags);
}

int GetMenuItemCount(HMENU menu) {
  int count =
      with_menu(menu, [](std::vector<UINT>& items) { return static_cast<int>(items.size()); });
  return menu == nullptr ? -1 : count;
}

UINT GetMenuItemID(HMENU menu, int position) {
  return with_menu(menu, [position](std::vector<UINT>& items) {
    return position >= 0 && static_cast<size_t>(position) < items.size()
               ? items[static_cast<size_t>(position)]
               : UINT{0xFFFFFFFF};
  });
}

BOOL DrawMenuBar(HWND window) {
  return IsWindow(window);
}

// --- colours ---

DWORD GetSysColor(int index) {
  constexpr DWORD button_face = 0xC0C0C0;
  constexpr DWORD window_background = 0xFFFFFF;
  return index == COLOR_BTNFACE ? button_face : window_background;
}

HBRUSH GetSysColorBrush(int index) {
  constexpr uintptr_t system_brush_base = 0x2F100;
  return reinterpret_cast<HBRUSH>(system_brush_base + static_cast<uintptr_t>(index));
}

}  // namespace plat

