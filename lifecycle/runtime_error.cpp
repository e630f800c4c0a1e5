// Temporary body: the box text is built; the box itself comes with the
// platform's message box.
#include "lifecycle/runtime_error.h"

#include <cstdio>
#include <cstring>

#include "drivers/error_state.h"
#include "lifecycle/process_state.h"

namespace life {

std::size_t runtime_error_text(std::int32_t number, const char* extra,
                               char (&text)[runtime_error_text_size]) {
  text[0] = '\0';
  if (number != 0) {
    drv::MessageText m = drv::error_state().message_of(number);
    std::snprintf(text, sizeof text, "%.*s", static_cast<int>(m.length), m.text);
  }
  if (extra != nullptr) std::snprintf(text + std::strlen(text), sizeof text - std::strlen(text), "%s%s", number != 0 ? " : " : "", extra);
  std::snprintf(text + std::strlen(text), sizeof text - std::strlen(text), "\nDo you want to GPF?");
  return std::strlen(text);
}

void raise_runtime_error(std::int32_t number, const char* extra) {
  char text[runtime_error_text_size];
  runtime_error_text(number, extra, text);
  std::fprintf(stderr, "Runtime error\n%s\n", text);
  process_state().run_final_file_cleanup();
  if (process_state().running()) process_state().exit(2);
}

void report_diagnostic(int code, ...) { raise_runtime_error(0, diagnostic_format(code)); }

void abstract_call() {
  report_diagnostic(diag::pure_virtual_call);
  process_state().exit(2);
}

const char* diagnostic_format(int) { return "Unknown Error"; }

}  // namespace life
