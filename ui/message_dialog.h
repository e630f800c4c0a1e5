// MESSAGE: a modal dialog with a text, a caption, an optional icon and a row
// of buttons, sized to its text with the dialog font and centred over the
// program's frame. It returns the button pressed.
#pragma once

#include <cstdint>

#include "platform/user.h"
#include "ui/dialog_template.h"
#include "ui/dialog_units.h"

namespace ui {

// A button the dialog may show.
struct ButtonEntry {
  std::int32_t id;      // the control id that ends the dialog
  std::uint32_t value;  // the button's bit
  const char* caption;
  bool replaceable;  // the environment file may replace the caption
};

// The standard buttons, in the order the dialog shows them.
// ORDER: the captions' message numbers 32512 + position.
inline constexpr int standard_button_count = 8;
extern const ButtonEntry standard_buttons[standard_button_count];
inline constexpr std::int32_t button_caption_message = 32512;

// The caption of the standard button at `position`: the runtime message
// 32512 + position when the environment file sets it, else the default.
const char* standard_caption(int position);

// The buttons of one MESSAGE: up to eight entries, the set of their values
// and the default.
struct ButtonPlan {
  ButtonEntry entries[standard_button_count];
  int count = 0;
  std::uint32_t set = 0;
  std::uint32_t default_value = 0;
  bool caption_list = false;
  char* caption_storage = nullptr;  // heap copy the list's captions point into

  // The entry that is the default button: the first whose value is in the
  // default, else the first of the set; -1 when there is none.
  int default_entry() const;
  // The value of the first entry with that control id, 0 for none.
  std::uint32_t value_of(std::int32_t id) const;
};

// Reads the buttons argument: empty (OK), a number (a sum of button values)
// or a caption list separated by "|" (at most 8, empty ones skipped).
// `default_button` is a button value, or a position from 1 for a list.
ButtonPlan plan_buttons(const char* buttons, std::uint32_t length, std::int32_t default_button);
void release_plan(ButtonPlan& plan);

// Where the dialog's parts go, in pixels of the dialog font.
struct MessageLayout {
  plat::LONG margin = 0;
  plat::LONG text_left = 0, text_top = 0, text_width = 0, text_height = 0;
  plat::LONG icon_top = 0, icon_width = 0, icon_height = 0;  // 0 wide: no icon
  plat::LONG content_width = 0, content_height = 0;
};

inline constexpr plat::WORD message_icon_id = 2704;
inline constexpr plat::WORD message_text_id = 0xFFFF;

// Measures the text (already with line breaks) in a column 200 dialog units
// wide and places the icon, the text and the row of `buttons` buttons.
MessageLayout layout_message(const char* text, bool has_icon, int buttons, plat::HFONT font,
                             const DialogUnits& units);

// The dialog template of one MESSAGE.
DialogTemplate build_message_template(const char* text, const char* caption,
                                      const MessageLayout& layout, const ButtonPlan& plan,
                                      const DialogUnits& units, bool system_modal);

// MESSAGE with its arguments given directly (texts with their lengths;
// trailing blanks do not count). The result: the value of the button pressed
// (1, 2, 4, ... 128), or its position from 1 for a caption list; 0 when the
// dialog ended without a button of the set.
std::int32_t message_box(const char* text, std::uint32_t text_length, const char* caption,
                         std::uint32_t caption_length, const char* icon, std::uint32_t icon_length,
                         const char* buttons, std::uint32_t buttons_length,
                         std::int32_t default_button, std::int32_t style);

// MESSAGE(text, caption, icon, buttons, default, style): the four texts come
// from the string stack, the text on top.
std::int32_t MESSAGE(std::int32_t default_button, std::int32_t style);

}  // namespace ui
