// What the window calls share inside the platform layer: the system's own
// window classes, which the dialog services provide, and how captions show.
#pragma once

#include <string>
#include <string_view>

#include "platform/window.h"

namespace plat::detail {

// The system class of that name ("static", "button", the dialog class
// "#32770"), compared without case; null when there is none.
const WNDCLASSA* system_window_class(LPCSTR class_name);

// Forgets the dialog services' per-window state (reset between tests).
void reset_dialog_state();

// A caption as shown: "&x" shows x (the marked character), "&&" one "&".
std::string text_without_prefixes(std::string_view text);

}  // namespace plat::detail
