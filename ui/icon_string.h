// Icon strings: how a window or a message names its icon.
//
//   0xFF 0x01 n   (n 16-bit little-endian) the system icon n - 1
//   0xFF 0x02 n   the program's icon resource n - 1
//   ~name         the program's icon resource NAME, upper-cased, "." as "_"
//   file[i]       icon i of an icon file (file alone: icon 0)
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace ui {

// The icon, or null when it cannot be loaded.
plat::HICON load_icon_string(const char* text, std::uint32_t length);

}  // namespace ui
