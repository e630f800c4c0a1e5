#include "services/shutdown.h"

#include "platform/process.h"
#include "services/module_registry.h"
#include "services/process_state.h"

namespace svc {

namespace {

Shutdown the_shutdown;

void run_hook(void (*hook)()) {
  if (hook) hook();
}

}  // namespace

Shutdown& shutdown() { return the_shutdown; }

void Shutdown::run_sequence() {
  run_hook(hooks_.close_main_thread_windows);
  run_hook(hooks_.wait_for_other_threads);
  process_state().set_running(false);
  run_hook(hooks_.kill_global_timer);
  process_state().run_final_file_cleanup();
}

void Shutdown::exit(int code) {
  if (!stopping_) {
    stopping_ = true;
    if (program_) module_registry().unregister_module(*program_);
  }
  plat::ExitProcess(static_cast<plat::UINT>(code));
}

void exit_sequence(int code) { the_shutdown.exit(code); }

}  // namespace svc
