// Dialog units: positions and sizes measured in the average character width
// (a quarter of it horizontally) and the character height (an eighth of it
// vertically) of the dialog font.
#pragma once

#include "platform/gdi.h"

namespace ui {

struct DialogUnits {
  plat::LONG char_width = 0;   // pixels
  plat::LONG char_height = 0;  // pixels

  plat::LONG x_to_pixels(plat::LONG x) const { return (x * char_width + 3) / 4; }
  plat::LONG y_to_pixels(plat::LONG y) const { return (y * char_height + 7) / 8; }
  plat::LONG x_from_pixels(plat::LONG x) const { return x * 4 / char_width; }
  plat::LONG y_from_pixels(plat::LONG y) const { return y * 8 / char_height; }
};

// The units of `font` (null: the 8-point dialog font), measured each time:
// width = (width of the 52 letters a-z A-Z / 26 + 1) / 2, height = tmHeight.
DialogUnits measure_dialog_units(plat::HFONT font);

// The 8-point dialog font: "MS Sans Serif" at normal weight when the window
// layer's system-font setting is on, else "Helv" bold; the character set
// follows the runtime's character-set setting.
plat::HFONT create_dialog_font();

}  // namespace ui
