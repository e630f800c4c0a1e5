// What the window calls share inside the platform layer: the system's own
// window classes, which the dialog services provide.
#pragma once

#include "platform/window.h"

namespace plat::detail {

// The system class of that name ("static", "button", the dialog class
// "#32770"), compared without case; null when there is none.
const WNDCLASSA* system_window_class(LPCSTR class_name);

// Forgets the dialog services' per-window state (reset between tests).
void reset_dialog_state();

}  // namespace plat::detail
