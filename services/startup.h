// The road from the process entry to the program's main procedure and back
// to the operating system.
#pragma once

#include "services/module_registry.h"

namespace svc {

// The program's first procedure: runs the program start step and the main
// procedure, and returns the process's exit code.
using FirstProcedure = int (*)();

// Start-up (floating-point unit reset, registration of the program module
// with its start routines by priority), the first procedure, the shutdown
// sequence and the exit sequence with the first procedure's code.
[[noreturn]] void process_entry(ModuleDescriptor& program, FirstProcedure first);

// Runs once per process, as the first statement of the first procedure:
// notifies the component libraries registered with the window layer (none
// in this program). Later calls do nothing.
void program_start_step();
bool program_started();

// Forgets that the start step ran. Used between tests.
void reset_program_start_step();

}  // namespace svc
