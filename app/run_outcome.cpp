#include "app/run_outcome.h"

#include "app/program_data.h"
#include "drivers/error_state.h"

namespace app {

namespace {

RunOutcome the_outcome;

// The runtime's message text of an error code, without its padding.
std::string message_of(int32_t code) {
  const drv::MessageText text = drv::error_state().message_of(code);
  const std::string_view view = clipped(text.text, static_cast<uint32_t>(text.length));
  return std::string(view);
}

}  // namespace

RunOutcome& run_outcome() { return the_outcome; }

void RunOutcome::note_failure(FailedFile kind, std::string_view name, int32_t code) {
  failed = kind;
  failed_name.assign(name);
  failed_code = code;
}

int RunOutcome::exit_code() const {
  if (!composer_called) return kExitUsage;
  switch (composer_result) {
    case 0:
      return kExitWritten;
    case 1:
      return kExitNoInput;
    default:
      return kExitCannotCreate;
  }
}

std::string RunOutcome::error_line() const {
  std::string line = "msgmake: ";
  if (!composer_called) {
    if (call_text_blank)
      line += "no call text given ('msgmake --help' shows the command-line form)";
    else if (evaluation_error != 0)
      line += "the call text cannot be run: " + message_of(evaluation_error);
    else
      line += "the call text does not call MakeEMLAttachmentFileSW; nothing was written";
  } else if (composer_result == 0) {
    return "";
  } else {
    static const char* const verbs[] = {"cannot read file", "cannot read attachment", "cannot read image",
                                        "cannot write message"};
    // ORDER: FailedFile
    static_assert(std::size(verbs) == static_cast<size_t>(FailedFile::message) + 1);
    line += std::string(verbs[static_cast<size_t>(failed)]) + " '" + failed_name + "': " + message_of(failed_code);
  }
  return line + "\n";
}

}  // namespace app
