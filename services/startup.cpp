#include "services/startup.h"

#include <cfenv>

#include "platform/unfinished_files.h"
#include "services/process_state.h"
#include "services/shutdown.h"

namespace svc {

namespace {

bool start_step_done = false;

// All exceptions masked, round to nearest: the state every component
// expects its arithmetic to run in.
void reset_floating_point() {
  std::fesetenv(FE_DFL_ENV);
  std::fesetround(FE_TONEAREST);
}

}  // namespace

void program_start_step() { start_step_done = true; }
bool program_started() { return start_step_done; }
void reset_program_start_step() { start_step_done = false; }

void process_entry(ModuleDescriptor& program, FirstProcedure first) {
  reset_floating_point();
  plat::end_runs_cleanly_on_signals();
  ProcessState& state = process_state();
  state.set_running(true);
  state.set_exit_operation(&exit_sequence);
  shutdown().set_program_module(&program);
  module_registry().register_module(program);
  const int code = first();
  shutdown().run_sequence();
  shutdown().exit(code);
}

}  // namespace svc
