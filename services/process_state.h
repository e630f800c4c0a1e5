// Process-wide lifecycle state that several parts of the runtime read: the
// running flag, the once-only final file clean-up and the exit operation.
//
// The running flag is set from the start and cleared by the shutdown sequence
// once the windows are closed and the other threads have ended; a runtime
// error ends the process only while it is set. The final file clean-up (roll
// back an active transaction, close every open file) is installed by the
// file drivers and runs at most once per process, whoever asks first: the
// shutdown sequence or the runtime error box. The exit operation is the exit
// sequence; start-up installs the real one and tests replace it so that an
// error path can be followed without ending the test program.
#pragma once

namespace svc {

using FileCleanup = void (*)();
using ExitOperation = void (*)(int code);

class ProcessState {
 public:
  bool running() const { return running_; }
  void set_running(bool running) { running_ = running; }

  // Installs the final file clean-up (null removes it).
  void set_final_file_cleanup(FileCleanup cleanup) { cleanup_ = cleanup; }
  // Runs the clean-up unless it has run before in this process.
  void run_final_file_cleanup();
  bool final_file_cleanup_done() const { return cleanup_done_; }

  // Installs the exit sequence (null restores the default, which ends the
  // process at once with the code).
  void set_exit_operation(ExitOperation exit) { exit_ = exit; }
  ExitOperation exit_operation() const { return exit_; }
  // Ends the process with `code` through the exit operation. Returns only
  // when a test has replaced the exit operation with one that returns.
  void exit(int code);

  // Back to the starting condition: running, clean-up not run (and not
  // installed), default exit operation.
  void reset();

 private:
  bool running_ = true;
  bool cleanup_done_ = false;
  FileCleanup cleanup_ = nullptr;
  ExitOperation exit_ = nullptr;
};

// The process-wide lifecycle state.
ProcessState& process_state();

}  // namespace svc
