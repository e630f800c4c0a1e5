// Measuring dialog units with the dialog font.
#include "ui/dialog_units.h"

#include "platform/text.h"
#include "runtime/locale.h"
#include "ui/window_layer.h"

namespace ui {

DialogUnits measure_dialog_units(plat::HFONT font) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  constexpr int letter_count = 52;
  plat::HFONT own = font == nullptr ? create_dialog_font() : nullptr;
  plat::HDC dc = plat::GetDC(nullptr);
  plat::HGDIOBJ previous = plat::SelectObject(dc, font != nullptr ? font : own);
  plat::SIZE extent{};
  plat::TEXTMETRICA metrics{};
  plat::GetTextExtentPoint32A(dc, letters, letter_count, &extent);
  plat::GetTextMetricsA(dc, &metrics);
  if (previous != nullptr) plat::SelectObject(dc, previous);
  plat::ReleaseDC(nullptr, dc);
  if (own != nullptr) plat::DeleteObject(own);
  DialogUnits units{(extent.cx / 26 + 1) / 2, metrics.tmHeight};
  // A font that measures nothing would make every conversion divide by 0.
  if (units.char_width <= 0) units.char_width = 1;
  if (units.char_height <= 0) units.char_height = 1;
  return units;
}

plat::HFONT create_dialog_font() {
  constexpr int point_size = 8;
  constexpr int points_per_inch = 72;
  plat::HDC dc = plat::GetDC(nullptr);
  int height =
      -plat::MulDiv(point_size, plat::GetDeviceCaps(dc, plat::LOGPIXELSY), points_per_inch);
  plat::ReleaseDC(nullptr, dc);
  bool system_face = window_layer().system_font;
  plat::BYTE char_set = rt::locale().oem_charset() ? plat::OEM_CHARSET : plat::ANSI_CHARSET;
  return plat::CreateFontA(height, 0, 0, 0, system_face ? plat::FW_NORMAL : plat::FW_BOLD, 0, 0, 0,
                           char_set, plat::OUT_TT_PRECIS, plat::CLIP_DEFAULT_PRECIS,
                           plat::DEFAULT_QUALITY, plat::DEFAULT_PITCH,
                           system_face ? "MS Sans Serif" : "Helv");
}

}  // namespace ui
