#include "app/composer.h"

#include <algorithm>
#include <utility>

#include "app/argument_text.h"
#include "app/attachment_parts.h"
#include "app/draft_date.h"
#include "app/html_body.h"
#include "app/message_output.h"
#include "app/message_structure.h"
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

constexpr std::string_view kPreamble[] = {
    "X-Unsent: 1",
    "X-MimeOLE:",
    "",
    "This is a multi-part message in MIME format.",
    "",
};

// The fields written from the arguments, and the address fields; a name
// ending in "-" stands for every name it begins. In step with write_headers
// and the part writers.
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

const PriorityLines& priority_lines(std::string_view priority) {
  for (const PriorityLines& row : kPriorities)
    if (same_text(priority, row.priority)) return row;
  return kNormalPriority;
}

}  // namespace

const PriorityLines& exact_priority_lines(std::string_view word) {
  for (const PriorityLines& row : kPriorities)
    if (word == row.priority) return row;
  return kNormalPriority;
}

namespace {

void write_headers(const MessageArguments& args, const MessageShape& shape) {
  write_lines(address_lines("To", args.to_list));
  if (!is_blank(args.cc_list)) write_lines(address_lines("Cc", args.cc_list));
  if (!is_blank(args.bcc_list)) write_lines(address_lines("Bcc", args.bcc_list));
  write_lines(subject_lines(args.subject));
  write_line({"Date: ", draft_date()});
  write_line("MIME-Version: 1.0");
  write_container_type(shape.top());
  const PriorityLines& priority = priority_lines(args.priority);
  write_line(priority.x_priority);
  write_line(priority.ms_priority);
  for (std::string_view line : kPreamble) write_line(line);
}

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
  const RunOutcome& outcome = run_outcome();
  const EmbeddedPictures pictures = find_embedded_pictures();
  MessageShape shape;
  shape.mixed = program_data().file_names.records() != 0;
  shape.related = !pictures.empty() || !is_blank(args.sound_file);
  write_headers(args, shape);
  if (outcome.any_failure()) return give_up_message();
  if (shape.mixed) {
    write_line(kMixed.delimiter);
    write_container_type(kAlternative);
    write_empty_line();
  }
  if (!write_body(args, shape, pictures)) return give_up_message();
  if (shape.mixed) {
    write_empty_line();
    if (!write_attachment_parts()) return give_up_message();
    write_empty_line();
    write_line(kMixed.close);
  }
  if (outcome.any_failure()) return give_up_message();
  // A work copy that could not be removed after the last part fails the run
  // as well, with the message already closed.
  if (!close_message_file() || outcome.any_failure()) return give_up_message();
  restore_cursor();
  return kComposed;
}

}  // namespace app
