#include "app/draft_output.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "app/message_output.h"
#include "app/message_structure.h"
#include "app/output_checks.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "drivers/common_operations.h"
#include "mime/message_writer.h"
#include "platform/file.h"
#include "platform/last_error.h"

namespace app {

namespace {

// The draft's lines go to the message file as every line of a draft goes.
// Lines carried as they stand go out exactly, gathered in blocks.
class MessageFileSink : public mime::LineSink {
 public:
  ~MessageFileSink() override { flush(); }
  void line(std::string_view text) override {
    flush();
    write_line(text);
  }
  void raw_line(std::string_view text) override {
    while (pending_.size() + text.size() >= kRawBlock) {
      const size_t take = kRawBlock - pending_.size();
      pending_.append(text.substr(0, take));
      text.remove_prefix(take);
      flush();
    }
    pending_.append(text);
    pending_.append("\r\n");
    if (pending_.size() >= kRawBlock) flush();
  }
  bool intact() const override { return message_intact(); }

 private:
  static constexpr size_t kRawBlock = 16 * 1024;
  void flush() {
    write_bytes(pending_);
    pending_.clear();
  }
  std::string pending_;
};

// The draft's lines gathered into large blocks written straight to the
// draft, each byte as MessageFileSink would have the message file hold it: a
// line cut to the 250 bytes of a record, its CR and LF bytes as spaces and
// without trailing spaces; a raw line as it stands; each ended by CR LF.
class DraftBlockSink : public mime::LineSink {
 public:
  // Not zeroed: a small draft touches a page or two of it.
  DraftBlockSink() : block_(std::make_unique_for_overwrite<char[]>(kBlockSize)) {}

  void line(std::string_view text) override {
    size_t n = std::min<size_t>(text.size(), kMessageLineSize);
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\r' || text[n - 1] == '\n')) --n;
    if (used_ + n + 2 > kBlockSize) flush();
    char* at = block_.get() + used_;
    if (n != 0) {  // an empty line's text may have no bytes at all to point at
      std::memcpy(at, text.data(), n);
      if (std::memchr(at, '\r', n) != nullptr || std::memchr(at, '\n', n) != nullptr)
        std::replace_if(at, at + n, [](char c) { return c == '\r' || c == '\n'; }, ' ');
    }
    used_ += n;
    end_line();
  }
  void raw_line(std::string_view text) override {
    if (used_ + text.size() + 2 > kBlockSize) {
      flush();
      if (text.size() + 2 > kBlockSize) {
        write_draft_block(text);
        text = {};
      }
    }
    if (!text.empty()) std::memcpy(block_.get() + used_, text.data(), text.size());
    used_ += text.size();
    end_line();
  }
  bool intact() const override { return message_intact(); }
  // Writes what the sink holds.
  void flush() {
    write_draft_block({block_.get(), used_});
    used_ = 0;
  }

 private:
  static constexpr size_t kBlockSize = 256 * 1024;  // far more than a line of a record

  void end_line() {
    block_[used_++] = '\r';
    block_[used_++] = '\n';
  }

  std::unique_ptr<char[]> block_;
  size_t used_ = 0;
};

FailedFile failed_file(mime::PartRole role) {
  return role == mime::PartRole::picture ? FailedFile::image
         : role == mime::PartRole::sound ? FailedFile::sound
                                         : FailedFile::attachment;
}

}  // namespace

const mime::Boundaries& draft_boundaries() {
  static const mime::Boundaries boundaries = {std::string(kMixedBoundary), std::string(kAlternativeBoundary),
                                              std::string(kRelatedBoundary)};
  return boundaries;
}

void write_draft(const mime::Message& message, std::string_view message_file, bool to_standard_output,
                 DraftWrites writes) {
  run_outcome().composer_called = true;
  write_message_to_standard_output(to_standard_output);
  show_wait_cursor();
  if (!open_message_file(message_file, writes)) {
    restore_cursor();
    return;
  }
  if (!write_to_message_file(message, writes) || !close_message_file()) abandon_message_file();
  restore_cursor();
}

bool write_to_message_file(const mime::Message& message, DraftWrites writes) {
  mime::WriteFailure failure;
  bool whole = false;
  if (writes == DraftWrites::blocks) {
    DraftBlockSink sink;
    whole = mime::write_message(message, sink, failure);
    if (whole) sink.flush();
  } else {
    MessageFileSink sink;
    whole = mime::write_message(message, sink, failure);
  }
  if (failure.part != nullptr && failure.system_error != 0) {
    const std::string& file = failure.part->body.file;
    run_outcome().note_failure(failed_file(failure.part->role), file, drv::code_of_system_error(failure.system_error),
                               failure.system_error);
  }
  return whole;
}

bool check_message_file(std::string_view message_file, bool to_standard_output) {
  run_outcome().composer_called = true;
  if (to_standard_output) return true;
  if (!message_path_replaceable(message_file)) return false;
  // The temporary draft is made beside the message file.
  const std::string name(message_file);
  if (plat::CanCreateFileIn(name.c_str())) return true;
  run_outcome().note_failure(FailedFile::message, message_file, drv::code_of_system_error(plat::GetLastError()));
  plat::SetLastError(0);
  return false;
}

}  // namespace app
