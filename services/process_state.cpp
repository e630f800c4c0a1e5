#include "services/process_state.h"

#include "platform/process.h"

namespace svc {

void ProcessState::run_final_file_cleanup() {
  if (cleanup_done_) return;
  // Marked before running so that a runtime error raised by the clean-up
  // itself does not start it again.
  cleanup_done_ = true;
  if (cleanup_ != nullptr) cleanup_();
}

void ProcessState::exit(int code) {
  if (exit_ != nullptr) {
    exit_(code);
    return;
  }
  plat::ExitProcess(static_cast<unsigned>(code));
}

void ProcessState::reset() { *this = ProcessState(); }

ProcessState& process_state() {
  static ProcessState state;
  return state;
}

}  // namespace svc
