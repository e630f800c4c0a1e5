// MESSAGE: planning the buttons, laying out and building the dialog
// template, and running the dialog.
#include "ui/message_dialog.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/dialog.h"
#include "runtime/compare.h"
#include "runtime/locale.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"
#include "services/heap.h"
#include "services/runtime_lock.h"
#include "ui/icon_string.h"
#include "ui/window_layer.h"
#include "ui/window_object.h"

namespace ui {

const ButtonEntry standard_buttons[standard_button_count] = {
    {plat::IDOK, 1, "OK", true},          {plat::IDYES, 2, "&Yes", true},
    {plat::IDNO, 4, "&No", true},         {plat::IDABORT, 8, "&Abort", true},
    {plat::IDRETRY, 16, "&Retry", true},  {plat::IDIGNORE, 32, "&Ignore", true},
    {plat::IDCANCEL, 64, "Cancel", true}, {9 /* IDHELP */, 128, "&Help", true},
};

namespace {

constexpr std::int32_t first_list_id = 100;
constexpr plat::LONG text_column_units = 200;
constexpr plat::LONG margin_units = 5;
constexpr plat::LONG least_content_units = 45;
constexpr plat::LONG measured_width_extra = 10;  // pixels
constexpr short button_width = 50;
constexpr short button_height = 14;
constexpr short button_gap = 5;
constexpr short below_buttons = 5;
constexpr plat::WORD font_points = 8;
constexpr plat::DWORD message_dialog_style = plat::WS_POPUP | plat::WS_VISIBLE | plat::WS_CAPTION |
                                             plat::WS_SYSMENU | plat::DS_MODALFRAME |
                                             plat::DS_SETFONT;
static_assert(message_dialog_style == 0x90C800C0);
constexpr plat::UINT removed_system_commands[] = {plat::SC_MAXIMIZE, plat::SC_MINIMIZE,
                                                  plat::SC_RESTORE,  plat::SC_CLOSE,
                                                  plat::SC_SIZE,     plat::SC_TASKLIST};

// A NUL-ended heap copy in which every "|" is a line break.
char* text_with_line_breaks(const char* text, std::uint32_t length) {
  auto* copy = static_cast<char*>(svc::allocate(length * 2 + 1));
  if (copy == nullptr) return nullptr;
  char* out = copy;
  for (std::uint32_t i = 0; i < length; ++i) {
    if (text[i] == '|') {
      *out++ = '\r';
      *out++ = '\n';
    } else {
      *out++ = text[i];
    }
  }
  *out = '\0';
  return copy;
}

bool same_caption(const char* caption, const char* standard) {
  return rt::collate_texts(caption, static_cast<std::uint32_t>(std::strlen(caption)), standard,
                           static_cast<std::uint32_t>(std::strlen(standard))) == 0;
}

void add_standard_buttons(ButtonPlan& plan) {
  for (int i = 0; i < standard_button_count; ++i) {
    if ((standard_buttons[i].value & plan.set) == 0) continue;
    ButtonEntry entry = standard_buttons[i];
    entry.caption = standard_caption(i);
    plan.entries[plan.count++] = entry;
  }
}

std::int32_t standard_id_of(const char* caption, std::int32_t* next_id) {
  for (int i = 0; i < standard_button_count; ++i) {
    if (same_caption(caption, standard_caption(i))) return standard_buttons[i].id;
  }
  return (*next_id)++;
}

void plan_caption_list(ButtonPlan& plan, const char* buttons, std::uint32_t length,
                       std::int32_t default_button) {
  plan.caption_list = true;
  plan.caption_storage = static_cast<char*>(svc::allocate(length + 1));
  if (plan.caption_storage == nullptr) return;
  std::memcpy(plan.caption_storage, buttons, length);
  plan.caption_storage[length] = '\0';
  std::int32_t next_id = first_list_id;
  for (char* caption = plan.caption_storage;
       caption != nullptr && plan.count < standard_button_count;) {
    char* bar = std::strchr(caption, '|');
    if (bar != nullptr) *bar = '\0';
    if (caption[0] != '\0') {
      std::uint32_t value = 1u << plan.count;
      plan.entries[plan.count++] =
          ButtonEntry{standard_id_of(caption, &next_id), value, caption, false};
      plan.set |= value;
    }
    caption = bar != nullptr ? bar + 1 : nullptr;
  }
  bool positioned = default_button >= 1 && default_button <= standard_button_count;
  plan.default_value = positioned ? 1u << (default_button - 1) : 0;
}

struct DialogContext {
  const ButtonPlan* plan;
  plat::HICON icon;
  plat::HFONT font;
};

plat::RECT screen_rect() {
  return plat::RECT{0, 0, plat::GetSystemMetrics(plat::SM_CXSCREEN),
                    plat::GetSystemMetrics(plat::SM_CYSCREEN)};
}

// Over the frame when it is visible, else over the owner clipped to the
// screen, else over the screen; never off the screen.
void centre_dialog(plat::HWND dialog) {
  plat::RECT screen = screen_rect();
  plat::RECT area = screen;
  plat::RECT own{};
  WindowObject* frame = window_layer().frame;
  plat::HWND parent = plat::GetParent(dialog);
  if (frame != nullptr && frame->handle != nullptr && plat::IsWindowVisible(frame->handle)) {
    plat::GetWindowRect(frame->handle, &area);
  } else if (parent != nullptr && plat::GetWindowRect(parent, &own) &&
             plat::IntersectRect(&own, &own, &screen)) {
    area = own;
  }
  plat::RECT box{};
  plat::GetWindowRect(dialog, &box);
  plat::LONG width = box.right - box.left;
  plat::LONG height = box.bottom - box.top;
  plat::LONG x = area.left + (area.right - area.left - width) / 2;
  plat::LONG y = area.top + (area.bottom - area.top - height) / 2;
  x = std::max<plat::LONG>(0, std::min(x, screen.right - width));
  y = std::max<plat::LONG>(0, std::min(y, screen.bottom - height));
  plat::SetWindowPos(dialog, nullptr, x, y, 0, 0,
                     plat::SWP_NOACTIVATE | plat::SWP_NOZORDER | plat::SWP_NOSIZE);
}

void init_dialog(plat::HWND dialog, const DialogContext* context) {
  if (plat::HMENU system_menu = plat::GetSystemMenu(dialog, plat::FALSE)) {
    for (plat::UINT command : removed_system_commands) {
      plat::RemoveMenu(system_menu, command, plat::MF_BYCOMMAND);
    }
  }
  if (window_layer().system_font) {
    plat::EnumChildWindows(
        dialog,
        [](plat::HWND child, plat::LPARAM font) {
          plat::SendMessageA(child, plat::WM_SETFONT, static_cast<plat::WPARAM>(font), plat::FALSE);
          return plat::TRUE;
        },
        reinterpret_cast<plat::LPARAM>(context->font));
  }
  if (context->icon != nullptr) {
    plat::SendMessageA(plat::GetDlgItem(dialog, message_icon_id), plat::STM_SETICON,
                       reinterpret_cast<plat::WPARAM>(context->icon), 0);
  }
  centre_dialog(dialog);
  int default_entry = context->plan->default_entry();
  if (default_entry >= 0) {
    plat::HWND button = plat::GetDlgItem(dialog, context->plan->entries[default_entry].id);
    plat::PostMessageA(dialog, plat::WM_NEXTDLGCTL, reinterpret_cast<plat::WPARAM>(button),
                       plat::TRUE);
  }
}

plat::INT_PTR message_dialog_procedure(plat::HWND dialog, plat::UINT message, plat::WPARAM wparam,
                                       plat::LPARAM lparam) {
  switch (message) {
    case plat::WM_INITDIALOG:
      init_dialog(dialog, reinterpret_cast<const DialogContext*>(lparam));
      return plat::FALSE;  // the default button takes the focus through WM_NEXTDLGCTL
    case plat::WM_COMMAND: {
      // Only the dialog's own controls end it: Esc works only with a Cancel button.
      plat::WORD id = plat::LOWORD(wparam);
      if (plat::GetDlgItem(dialog, id) != nullptr) plat::EndDialog(dialog, id);
      return plat::TRUE;
    }
    default:
      break;
  }
  if (message >= plat::WM_CTLCOLORMSGBOX && message <= plat::WM_CTLCOLORSTATIC) {
    plat::SetBkColor(reinterpret_cast<plat::HDC>(wparam), plat::GetSysColor(plat::COLOR_BTNFACE));
    return reinterpret_cast<plat::INT_PTR>(plat::GetSysColorBrush(plat::COLOR_BTNFACE));
  }
  return plat::DefDlgProcA(dialog, message, wparam, lparam);
}

plat::HWND dialog_owner() {
  if (WindowObject* window = current_window(); window != nullptr && window->handle != nullptr) {
    return window->handle;
  }
  WindowObject* frame = window_layer().frame;
  if (frame != nullptr && frame->handle != nullptr) return frame->handle;
  return plat::GetActiveWindow();
}

std::int32_t run_dialog(const DialogTemplate& dialog_template, DialogContext& context) {
  plat::HWND owner = dialog_owner();
  plat::HWND focus = plat::GetFocus();
  plat::INT_PTR id = 0;
  {
    svc::RuntimeLockRelease unlocked;
    id = plat::DialogBoxIndirectParamA(
        window_layer().program_instance(),
        reinterpret_cast<const plat::DLGTEMPLATE*>(dialog_template.bytes), owner,
        message_dialog_procedure, reinterpret_cast<plat::LPARAM>(&context));
  }
  if (focus != nullptr && plat::IsWindow(focus)) plat::SetFocus(focus);
  return static_cast<std::int32_t>(id);
}

// A caption list answers with the position of the button, from 1.
std::int32_t result_of(const ButtonPlan& plan, std::int32_t id) {
  std::uint32_t value = plan.value_of(id);
  if (!plan.caption_list || value == 0) return static_cast<std::int32_t>(value);
  return std::countr_zero(value) + 1;
}

}  // namespace

const char* standard_caption(int position) {
  const char* text = rt::locale().message_override(button_caption_message + position);
  return text != nullptr && text[0] != '\0' ? text : standard_buttons[position].caption;
}

int ButtonPlan::default_entry() const {
  for (int i = 0; i < count; ++i) {
    if ((entries[i].value & default_value) != 0) return i;
  }
  return count > 0 ? 0 : -1;
}

std::uint32_t ButtonPlan::value_of(std::int32_t id) const {
  for (int i = 0; i < count; ++i) {
    if (entries[i].id == id) return entries[i].value;
  }
  return 0;
}

ButtonPlan plan_buttons(const char* buttons, std::uint32_t length, std::int32_t default_button) {
  ButtonPlan plan;
  length = rt::clipped_length(buttons, length);
  bool numeric = length > 0 && buttons[0] >= '0' && buttons[0] <= '9' &&
                 std::memchr(buttons, '|', length) == nullptr;
  if (length > 0 && !numeric) {
    plan_caption_list(plan, buttons, length, default_button);
    return plan;
  }
  std::uint32_t set = 0;
  for (std::uint32_t i = 0; numeric && i < length && buttons[i] >= '0' && buttons[i] <= '9'; ++i) {
    set = set * 10 + static_cast<std::uint32_t>(buttons[i] - '0');
  }
  // A number that names no standard button would leave the dialog without
  // a way to end it: it gets the OK button.
  constexpr std::uint32_t all_standard = 0xFF;
  plan.set = (set & all_standard) != 0 ? set & all_standard : 1;
  plan.default_value = static_cast<std::uint32_t>(default_button);
  add_standard_buttons(plan);
  return plan;
}

void release_plan(ButtonPlan& plan) {
  svc::release(plan.caption_storage);
  plan.caption_storage = nullptr;
}

MessageLayout layout_message(const char* text, bool has_icon, int buttons, plat::HFONT font,
                             const DialogUnits& units) {
  MessageLayout layout;
  layout.margin = units.x_to_pixels(margin_units);
  plat::RECT measured{0, 0, units.x_to_pixels(text_column_units), 0};
  plat::HDC dc = plat::GetDC(nullptr);
  plat::HGDIOBJ previous = plat::SelectObject(dc, font);
  plat::DrawTextA(dc, text, -1, &measured,
                  plat::DT_CALCRECT | plat::DT_WORDBREAK | plat::DT_EXPANDTABS | plat::DT_NOPREFIX);
  if (previous != nullptr) plat::SelectObject(dc, previous);
  plat::ReleaseDC(nullptr, dc);
  layout.text_width = measured.right - measured.left + measured_width_extra;
  layout.text_height = measured.bottom - measured.top;
  layout.content_height =
      std::max(layout.text_height + 2 * layout.margin, units.y_to_pixels(least_content_units));
  layout.content_width = layout.text_width + 2 * layout.margin;
  layout.text_left = layout.margin;
  if (has_icon) {
    layout.icon_width = plat::GetSystemMetrics(plat::SM_CXICON);
    layout.icon_height = plat::GetSystemMetrics(plat::SM_CYICON);
    layout.icon_top = (layout.content_height - layout.icon_height) / 2;
    layout.text_left += layout.icon_width + layout.margin;
    layout.content_width += layout.icon_width + layout.margin;
  }
  layout.text_top = (layout.content_height - layout.text_height) / 2;
  plat::LONG row = units.x_to_pixels(buttons * button_width + (buttons - 1) * button_gap);
  if (layout.content_width - layout.text_left < row) {
    layout.content_width = layout.text_left + row + 2 * layout.margin;
  }
  return layout;
}

DialogTemplate build_message_template(const char* text, const char* caption,
                                      const MessageLayout& layout, const ButtonPlan& plan,
                                      const DialogUnits& units, bool system_modal) {
  auto h = [&units](plat::LONG pixels) { return static_cast<short>(units.x_from_pixels(pixels)); };
  auto v = [&units](plat::LONG pixels) { return static_cast<short>(units.y_from_pixels(pixels)); };
  short width = h(layout.content_width);
  short content = v(layout.content_height);
  bool system_face = window_layer().system_font;
  DialogTemplateWriter writer(message_dialog_style | (system_modal ? plat::DS_SYSMODAL : 0), width,
                              static_cast<short>(content + below_buttons + button_height), caption,
                              font_points, system_face ? "MS Sans Serif" : "Helv");
  constexpr plat::DWORD control = plat::WS_CHILD | plat::WS_VISIBLE;
  if (layout.icon_width > 0) {
    writer.add_control(control | plat::SS_ICON, h(layout.margin), v(layout.icon_top),
                       h(layout.icon_width), v(layout.icon_height), message_icon_id, "static", "");
  }
  writer.add_control(control | plat::SS_NOPREFIX, h(layout.text_left), v(layout.text_top),
                     h(layout.text_width), v(layout.text_height), message_text_id, "static", text);
  auto row = static_cast<short>(plan.count * button_width + (plan.count - 1) * button_gap);
  auto left = static_cast<short>((width - row) / 2);
  int default_entry = plan.default_entry();
  for (int i = 0; i < plan.count; ++i) {
    plat::DWORD style =
        control | plat::WS_TABSTOP | (i == default_entry ? plat::BS_DEFPUSHBUTTON : 0);
    writer.add_control(style, static_cast<short>(left + i * (button_width + button_gap)), content,
                       button_width, button_height, static_cast<plat::WORD>(plan.entries[i].id),
                       "button", plan.entries[i].caption);
  }
  return writer.finish();
}

std::int32_t message_box(const char* text, std::uint32_t text_length, const char* caption,
                         std::uint32_t caption_length, const char* icon, std::uint32_t icon_length,
                         const char* buttons, std::uint32_t buttons_length,
                         std::int32_t default_button, std::int32_t style) {
  char* shown = text_with_line_breaks(text, rt::clipped_length(text, text_length));
  char* title = text_with_line_breaks(caption, rt::clipped_length(caption, caption_length));
  ButtonPlan plan = plan_buttons(buttons, buttons_length, default_button);
  icon_length = rt::clipped_length(icon, icon_length);
  std::int32_t result = 0;
  if (shown != nullptr && title != nullptr && plan.count > 0) {
    DialogContext context{&plan, load_icon_string(icon, icon_length), create_dialog_font()};
    DialogUnits units = measure_dialog_units(context.font);
    MessageLayout layout = layout_message(shown, icon_length > 0, plan.count, context.font, units);
    DialogTemplate dialog = build_message_template(shown, title, layout, plan, units, style != 0);
    if (dialog.bytes != nullptr) result = result_of(plan, run_dialog(dialog, context));
    svc::release(dialog.bytes);
    plat::DeleteObject(context.font);
  }
  release_plan(plan);
  svc::release(title);
  svc::release(shown);
  return result;
}

std::int32_t MESSAGE(std::int32_t default_button, std::int32_t style) {
  rt::StringStack& stack = rt::string_stack();
  rt::HeapString texts[4];  // text, caption, icon, buttons: the text was pushed last
  for (rt::HeapString& text : texts) text = stack.pop_into_heap();
  auto view = [](const rt::HeapString& s) { return s.text != nullptr ? s.text : ""; };
  std::int32_t result =
      message_box(view(texts[0]), texts[0].length, view(texts[1]), texts[1].length, view(texts[2]),
                  texts[2].length, view(texts[3]), texts[3].length, default_button, style);
  for (rt::HeapString& text : texts) rt::release_heap_string(text);
  return result;
}

}  // namespace ui
