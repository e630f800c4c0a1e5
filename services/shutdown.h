// The end of the process: the shutdown sequence that runs after the main
// procedure returns, and the exit sequence that stops the program module's
// components and ends the process with its exit code.
#pragma once

namespace svc {

struct ModuleDescriptor;

// The window layer's part of the shutdown, installed by it; a null hook is
// skipped (a program without windows or threads).
struct ShutdownHooks {
  // Asks every window still open on the main thread to close, newest first.
  void (*close_main_thread_windows)() = nullptr;
  // Waits, with the runtime lock released, until no other runtime thread is
  // active, then takes the lock again.
  void (*wait_for_other_threads)() = nullptr;
  // Kills the runtime's global timer when one is set.
  void (*kill_global_timer)() = nullptr;
};

class Shutdown {
 public:
  void set_hooks(const ShutdownHooks& hooks) { hooks_ = hooks; }
  // The module whose stop routines the exit sequence runs.
  void set_program_module(ModuleDescriptor* module) { program_ = module; }

  // Windows closed, other threads ended, running flag cleared, timer killed,
  // then the final file clean-up (once per process).
  void run_sequence();
  // The exit sequence: the first call stops and unregisters the program
  // module; every call then ends the process with `code`. Entered again from
  // a stop routine, it ends the process at once with the new code.
  [[noreturn]] void exit(int code);
  bool stopping() const { return stopping_; }

  // Back to the starting condition (no hooks, no module, exit not entered).
  void reset() { *this = Shutdown{}; }

 private:
  ShutdownHooks hooks_;
  ModuleDescriptor* program_ = nullptr;
  bool stopping_ = false;
};

Shutdown& shutdown();

// The exit operation installed into the process state at start-up.
void exit_sequence(int code);

}  // namespace svc
