// The program module as the runtime sees it: its descriptor, its
// initialisation table and its first procedure.
#pragma once

#include "services/module_registry.h"

namespace app {

// The descriptor the process entry registers.
svc::ModuleDescriptor& program_module();

// The initialisation table, for inspection.
const svc::InitEntry* init_table_begin();
const svc::InitEntry* init_table_end();

// Runs the program start step and Main, then tells the caller what came of
// it: returns the exit code, after writing one line to standard error when
// it is not 0.
int first_procedure();

// The exit code of the run, after writing its one line to standard error
// when it is not 0.
int report_outcome();

}  // namespace app
