#include "app/draft_output.h"

#include <string>

#include "app/message_output.h"
#include "app/message_structure.h"
#include "app/run_outcome.h"
#include "drivers/common_operations.h"
#include "mime/message_writer.h"

namespace app {

namespace {

// The draft's lines go to the message file as every line of a draft goes.
class MessageFileSink : public mime::LineSink {
 public:
  void line(std::string_view text) override { write_line(text); }
  void raw_line(std::string_view text) override {
    write_bytes(text);
    write_bytes("\r\n");
  }
  bool intact() const override { return message_intact(); }
};

FailedFile failed_file(mime::PartRole role) {
  return role == mime::PartRole::picture ? FailedFile::image
         : role == mime::PartRole::sound ? FailedFile::sound
                                         : FailedFile::attachment;
}

}  // namespace

const mime::Boundaries& draft_boundaries() {
  static const mime::Boundaries boundaries = {std::string(kMixed.boundary()), std::string(kAlternative.boundary()),
                                              std::string(kRelated.boundary())};
  return boundaries;
}

void write_draft(const mime::Message& message, std::string_view message_file, bool to_standard_output) {
  RunOutcome& outcome = run_outcome();
  outcome.composer_called = true;
  write_message_to_standard_output(to_standard_output);
  show_wait_cursor();
  if (!open_message_file(message_file)) {
    restore_cursor();
    return;
  }
  MessageFileSink sink;
  mime::WriteFailure failure;
  const bool whole = mime::write_message(message, sink, failure);
  if (failure.part != nullptr && failure.system_error != 0) {
    const std::string& file = failure.part->body.file;
    outcome.note_failure(failed_file(failure.part->role), file, drv::code_of_system_error(failure.system_error),
                         failure.system_error);
  }
  if (!whole || !close_message_file()) abandon_message_file();
  restore_cursor();
}

}  // namespace app
