#include "app/call_message.h"

#include <string>
#include <utility>
#include <vector>

#include "app/argument_text.h"
#include "app/attachment_parts.h"
#include "app/composer.h"
#include "app/draft_date.h"
#include "app/draft_output.h"
#include "app/html_body.h"
#include "app/program_data.h"
#include "app/run_outcome.h"

namespace app {

namespace {

using mime::FieldKind;

// The recipients, subject, date and version; the priority and the draft's
// marks after the content fields. Every field is written, the empty ones
// as their name alone, but for a blank Cc or Bcc.
void add_fields(const MessageArguments& args, mime::Message& message) {
  std::vector<mime::HeaderField>& fields = message.fields;
  fields.push_back({"To", utf8_argument(clipped(args.to_list)), FieldKind::address_list});
  if (!is_blank(args.cc_list)) fields.push_back({"Cc", utf8_argument(clipped(args.cc_list)), FieldKind::address_list});
  if (!is_blank(args.bcc_list))
    fields.push_back({"Bcc", utf8_argument(clipped(args.bcc_list)), FieldKind::address_list});
  fields.push_back({"Subject", utf8_argument(clipped(args.subject)), FieldKind::text});
  fields.push_back({"Date", draft_date(), FieldKind::as_written});
  fields.push_back({"MIME-Version", "1.0", FieldKind::as_written});
  message.content_fields_at = fields.size();
  add_priority_fields(priority_lines(args.priority), fields);
  fields.push_back({"X-Unsent", "1", FieldKind::as_written});
  fields.push_back({"X-MimeOLE", "", FieldKind::as_written});
  message.preamble = {"This is a multi-part message in MIME format.", ""};
  message.longest_header_line = kMessageLineSize;
}

}  // namespace

bool build_call_message(const MessageArguments& args, CallFiles files, mime::Message& message) {
  add_fields(args, message);
  const EmbeddedPictures pictures = find_embedded_pictures(files);
  if (run_outcome().any_failure()) return false;
  std::vector<mime::Part> attachments;
  if (!attachment_parts(files, attachments)) return false;
  message.root = mime::draft_structure(plain_part(), html_part(args, pictures),
                                       embedded_parts(files, pictures, args.sound_file), std::move(attachments),
                                       draft_boundaries());
  return !run_outcome().any_failure();
}

}  // namespace app
