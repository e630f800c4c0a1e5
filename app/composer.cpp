#include "app/composer.h"

#include "app/attachment_parts.h"
#include "app/html_body.h"
#include "app/message_output.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "runtime/compare.h"
#include "runtime/string_ops.h"
#include "runtime/string_value.h"
#include "services/error_state.h"

namespace app {

namespace {

constexpr std::string_view kContinuation = "    ";

struct PriorityLines {
  std::string_view priority;  // the text that selects the row; empty for any other
  std::string_view x_priority;
  std::string_view ms_priority;
};
constexpr PriorityLines kPriorities[] = {
    {"High", "X-Priority: 1", "X-MSMail-Priority: High"},
    {"Low", "X-Priority: 5", "X-MSMail-Priority: Low"},
};
constexpr PriorityLines kNormalPriority = {{}, "X-Priority: 3", "X-MSMail-Priority: Normal"};

constexpr std::string_view kMimeHeaders[] = {
    "Date:",
    "MIME-Version:",
    "Content-Type: multipart/related;",
    "    type=\"multipart/alternative\";",
    "    boundary=\"----=_1_\"",
};

constexpr std::string_view kPreamble[] = {
    "X-Unsent: 1",
    "X-MimeOLE:",
    "",
    "This is a multi-part message in MIME format.",
    "",
    "------=_1_",
    "Content-Type: multipart/alternative;",
    "    boundary=\"----=_2_\"",
    "",
    "------=_2_",
};

const PriorityLines& priority_lines(std::string_view priority) {
  for (const PriorityLines& row : kPriorities)
    if (same_text(priority, row.priority)) return row;
  return kNormalPriority;
}

int32_t find_comma(std::string_view list, uint32_t start) {
  return rt::instring_text(",", 1, list.data(), static_cast<uint32_t>(list.size()), 1, static_cast<int32_t>(start));
}

void write_headers(const MessageArguments& args) {
  write_address_lines("To: ", args.to_list);
  if (!is_blank(args.cc_list)) write_address_lines("Cc: ", args.cc_list);
  if (!is_blank(args.bcc_list)) write_address_lines("Bcc: ", args.bcc_list);
  write_line({"Subject: ", clipped(args.subject)});
  for (std::string_view line : kMimeHeaders) write_line(line);
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

bool same_text(std::string_view left, std::string_view right) {
  return rt::collate_texts(left.data(), static_cast<uint32_t>(left.size()), right.data(),
                           static_cast<uint32_t>(right.size())) == 0;
}

void write_address_lines(std::string_view prefix, std::string_view list) {
  const std::string_view used = clipped(list);
  int32_t comma = find_comma(list, 1);
  if (comma == 0) {
    write_line({prefix, used});
    return;
  }
  write_line({prefix, list.substr(0, static_cast<size_t>(comma))});
  for (;;) {
    const uint32_t start = static_cast<uint32_t>(comma) + 1;
    const int32_t next = find_comma(list, start);
    if (next == 0) break;
    write_line({kContinuation, list.substr(start - 1, static_cast<size_t>(next) - start + 1)});
    comma = next;
  }
  // A list that ends with a comma has nothing left for a last line, and an
  // empty line here would end the header block early.
  if (static_cast<size_t>(comma) < used.size()) write_line({kContinuation, used.substr(static_cast<size_t>(comma))});
}

uint8_t MakeEMLAttachmentFile(const MessageArguments& args) {
  show_wait_cursor();
  if (!open_message_file(clipped(args.message_file))) {
    restore_cursor();
    return kMessageUnwritable;
  }
  const RunOutcome& outcome = run_outcome();
  write_headers(args);
  write_alternative_part(args);
  if (outcome.any_failure() || !write_attachment_parts() || !write_image_parts()) return give_up_message();
  if (!is_blank(args.sound_file)) write_sound_part(args.sound_file);
  if (outcome.any_failure()) return give_up_message();
  write_empty_line();
  write_line("------=_1_--");
  // A work copy that could not be removed after the last part fails the run
  // as well, with the message already closed.
  if (!close_message_file() || outcome.any_failure()) return give_up_message();
  restore_cursor();
  return kComposed;
}

}  // namespace app
