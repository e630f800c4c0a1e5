#include "app/program_module.h"

#include <cstdio>
#include <iterator>

#include "app/main_procedure.h"
#include "app/program_data.h"
#include "app/program_resources.h"
#include "app/run_outcome.h"
#include "drivers/open_files.h"
#include "services/debug_log.h"
#include "services/process_state.h"
#include "services/runtime_lock.h"
#include "services/shutdown.h"
#include "services/startup.h"
#include "services/thread_records.h"
#include "ui/thread_windows.h"
#include "ui/window_object.h"

namespace app {

namespace {

// Every window still open on the main thread is asked to close, newest
// first (closing one unlinks it from the thread's list).
void close_main_thread_windows() {
  ui::ThreadWindows& main = ui::windows_of(svc::thread_records().at(svc::main_thread_record));
  while (ui::WindowObject* window = main.windows) {
    ui::close_window(window);
    if (main.windows == window) break;  // not unlinked: stop rather than loop
  }
}

// The file drivers' part of the shutdown: every file still open is closed,
// newest first, once per process.
void file_driver_routine(int32_t stage) {
  if (stage == svc::kStartStage) svc::process_state().set_final_file_cleanup(&drv::close_all_files);
}

// The runtime lock, held by the main thread from the start, and the main
// thread's record.
void runtime_lock_routine(int32_t stage) {
  if (stage == svc::kStartStage) {
    svc::runtime_lock().create();
    svc::thread_records().current();
  } else {
    svc::runtime_lock().destroy();
  }
}

// The window layer's globals: the program's window resource, and its part of
// the shutdown sequence.
void window_layer_routine(int32_t stage) {
  if (stage != svc::kStartStage) return;
  register_program_resources();
  svc::ShutdownHooks hooks;
  hooks.close_main_thread_windows = &close_main_thread_windows;
  hooks.wait_for_other_threads = [] { svc::thread_records().wait_for_other_threads(); };
  svc::shutdown().set_hooks(hooks);
}

// Start routines run from the highest priority down, stop routines from the
// lowest up: the trace is there first and goes last, the program's own data
// is set up last and released first.
const svc::InitEntry kInitTable[] = {
    {255, &svc::trace_support_routine, &svc::trace_support_routine},
    {150, &window_layer_routine, &window_layer_routine},
    {16, &file_driver_routine, &file_driver_routine},
    {16, &runtime_lock_routine, &runtime_lock_routine},
    {5, &program_module_routine, &program_module_routine},
};

svc::ModuleDescriptor the_module = {
    nullptr, std::begin(kInitTable), std::end(kInitTable), nullptr, {}, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

svc::ModuleDescriptor& program_module() { return the_module; }
const svc::InitEntry* init_table_begin() { return std::begin(kInitTable); }
const svc::InitEntry* init_table_end() { return std::end(kInitTable); }

int first_procedure() {
  svc::program_start_step();
  Main();
  return report_outcome();
}

int report_outcome() {
  const RunOutcome& outcome = run_outcome();
  const int code = outcome.exit_code();
  if (code != kExitWritten) std::fputs(outcome.error_line().c_str(), stderr);
  return code;
}

}  // namespace app
