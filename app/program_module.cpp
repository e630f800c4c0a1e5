#include "app/program_module.h"

#include <cstdio>
#include <iterator>

#include "app/main_procedure.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "drivers/open_files.h"
#include "lifecycle/debug_log.h"
#include "lifecycle/process_state.h"
#include "lifecycle/startup.h"

namespace app {

namespace {

// The file drivers' part of the shutdown: every file still open is closed,
// newest first, once per process.
void file_driver_routine(int32_t stage) {
  if (stage == life::kStartStage) life::process_state().set_final_file_cleanup(&drv::close_all_files);
}

// Start routines run from the highest priority down, stop routines from the
// lowest up: the trace is there first and goes last, the program's own data
// is set up last and released first.
const life::InitEntry kInitTable[] = {
    {255, &life::trace_support_routine, &life::trace_support_routine},
    {16, &file_driver_routine, &file_driver_routine},
    {5, &program_module_routine, &program_module_routine},
};

life::ModuleDescriptor the_module = {
    nullptr, std::begin(kInitTable), std::end(kInitTable), nullptr, {}, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

life::ModuleDescriptor& program_module() { return the_module; }
const life::InitEntry* init_table_begin() { return std::begin(kInitTable); }
const life::InitEntry* init_table_end() { return std::end(kInitTable); }

int first_procedure() {
  life::program_start_step();
  Main();
  const RunOutcome& outcome = run_outcome();
  const int code = outcome.exit_code();
  if (code != kExitWritten) std::fputs(outcome.error_line().c_str(), stderr);
  return code;
}

}  // namespace app
