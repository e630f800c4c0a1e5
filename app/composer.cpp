#include "app/composer.h"

#include <algorithm>
#include <utility>

#include "app/argument_text.h"
#include "app/call_message.h"
#include "app/draft_output.h"
#include "app/message_output.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "mime/header_policy.h"
#include "runtime/compare.h"
#include "runtime/string_ops.h"
#include "runtime/string_value.h"
#include "services/error_state.h"

namespace app {

namespace {

constexpr PriorityLines kPriorities[] = {
    {"High", "X-Priority: 1", "X-MSMail-Priority: High"},
    {"Low", "X-Priority: 5", "X-MSMail-Priority: Low"},
};
constexpr PriorityLines kNormalPriority = {{}, "X-Priority: 3", "X-MSMail-Priority: Normal"};

// The fields written from the arguments, and the address fields; a name
// ending in "-" stands for every name it begins. In step with the fields of
// call_message.cpp and the writer's part headers.
constexpr std::string_view kComposerFields[] = {
    "To", "Cc", "Bcc", "Subject", "From", "Reply-To", "Date", "MIME-Version", "Content-",
    "X-Priority", "X-MSMail-Priority", "X-Unsent", "X-MimeOLE",
};
constexpr std::string_view kAddressFields[] = {"From", "Reply-To"};

bool same_letters(std::string_view left, std::string_view right) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return left.size() == right.size() &&
         std::equal(left.begin(), left.end(), right.begin(), [&](char l, char r) { return lower(l) == lower(r); });
}

}  // namespace

const PriorityLines& priority_lines(std::string_view priority) {
  for (const PriorityLines& row : kPriorities)
    if (same_text(priority, row.priority)) return row;
  return kNormalPriority;
}

void add_priority_fields(const PriorityLines& priority, std::vector<mime::HeaderField>& fields) {
  for (const std::string_view line : {priority.x_priority, priority.ms_priority}) {
    const size_t colon = line.find(": ");
    fields.push_back(
        {std::string(line.substr(0, colon)), std::string(line.substr(colon + 2)), mime::FieldKind::as_written});
  }
}

const PriorityLines& exact_priority_lines(std::string_view word) {
  for (const PriorityLines& row : kPriorities)
    if (word == row.priority) return row;
  return kNormalPriority;
}

namespace {

// The message cannot be completed, because a file could not be encoded or
// a line not written: it is closed where it stands and removed.
uint8_t give_up_message() {
  abandon_message_file();
  restore_cursor();
  return message_intact() ? kInputUnreadable : kMessageUnwritable;
}

}  // namespace

bool composer_field(std::string_view name) {
  for (const std::string_view own : kComposerFields) {
    const bool prefix = own.ends_with('-');
    if (same_letters(prefix ? name.substr(0, own.size()) : name, own)) return true;
  }
  return false;
}

bool address_field(std::string_view name) {
  for (const std::string_view field : kAddressFields)
    if (same_letters(name, field)) return true;
  return false;
}

mime::HeaderLines address_lines(std::string_view name, std::string_view list) {
  return mime::address_header(name, utf8_argument(clipped(list)));
}

mime::HeaderLines subject_lines(std::string_view subject) {
  return mime::unstructured_header("Subject", utf8_argument(clipped(subject)), kMessageLineSize);
}

bool same_text(std::string_view left, std::string_view right) {
  return rt::collate_texts(left.data(), static_cast<uint32_t>(left.size()), right.data(),
                           static_cast<uint32_t>(right.size())) == 0;
}

uint8_t MakeEMLAttachmentFile(const MessageArguments& args) {
  show_wait_cursor();
  if (!open_message_file(clipped(args.message_file))) {
    restore_cursor();
    return kMessageUnwritable;
  }
  mime::Message message;
  if (!build_call_message(args, CallFiles::settled, message) || !write_to_message_file(message)) return give_up_message();
  // A work copy that could not be removed after the last part fails the run
  // as well.
  if (!close_message_file() || run_outcome().any_failure()) return give_up_message();
  restore_cursor();
  return kComposed;
}

}  // namespace app
