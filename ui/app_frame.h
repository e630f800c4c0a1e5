// Creating a window from its record, the application frame, and the window
// procedure of the runtime's window classes.
#pragma once

#include <cstdint>

#include "platform/window.h"
#include "ui/window_object.h"

namespace ui {

// The style a frame gets from its window flags: the system menu and
// maximize box bits and the frame kind (single line, resizable, double,
// none); a window with an icon also gets a minimize box and system menu.
plat::DWORD frame_style(std::uint32_t flags, bool has_icon, bool has_menu);

// Creates the application frame's window (record kind 25) for an opened
// window structure: runtime error 535 when it already has a window, 503
// "WSLDIAL" when its class cannot be registered, 526 when a frame is open
// already, 527 while a modal window is open, 528 when the window cannot be
// created. The window becomes the thread's current window and the program's
// open frame; a record with a timer interval gets timer 1.
void create_application_frame(WindowObject* window);

// The window procedure of every runtime window: events on creation, moves
// and sizes, the window's timer, event delivery, the close request and the
// end-of-session question.
plat::LRESULT window_procedure(plat::HWND handle, plat::UINT message, plat::WPARAM wparam,
                               plat::LPARAM lparam);

// The window's own timer processing: posts "EVENT:Timer".
void window_timer(WindowObject* window);

// The text of the box shown when the system asks to end the session while
// a window is open.
inline constexpr const char* still_active_text =
    "Application still active.\n\nQuit the application before quitting Windows.";

}  // namespace ui
