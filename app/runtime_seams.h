// The runtime services the program calls that live in other subsystems and
// are reached through this one file: the two file drivers, the command-line
// query, the path services, the expression evaluator and the window
// resources. Keeping them together keeps the program's procedures free of
// the details of how each service is called.
#pragma once

#include <cstdint>

#include "drivers/file_declaration.h"

namespace ui {
struct WindowObject;
}

namespace app::seam {

// The driver entries of the ASCII and DOS drivers.
drv::DriverEntry ascii_driver();
drv::DriverEntry dos_driver();

// Pushes the whole argument text (the command-line query with the empty
// selector) onto the string stack.
void push_argument_text();
// Pushes the long form of the short form of the current directory.
void push_current_directory_long_form();

// A bound procedure: takes its arguments from the string stack (the first on
// top) and returns an integer.
using BoundProcedure = int32_t (*)();
void push_scope(bool keep_outer_names);
void pop_scope();
void bind_procedure(const char* name, BoundProcedure procedure, int32_t argument_count,
                    int32_t result_type);
// Compiles and runs the expression; its value is left on the string stack.
void evaluate(const char* text, uint32_t length);

// Prepares the application frame "P1$APPFRAME" of the program's window
// resource without opening a window (null when it cannot be had), and
// releases it again.
ui::WindowObject* prepare_frame();
void release_frame(ui::WindowObject* frame);

}  // namespace app::seam
