#include "cli/option_message.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "app/composer.h"
#include "app/draft_date.h"
#include "app/draft_output.h"
#include "app/html_body.h"
#include "app/message_structure.h"
#include "app/options_parts.h"
#include "app/output_checks.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "app/work_copies.h"
#include "cli/defaults_file.h"
#include "cli/input_file.h"
#include "drivers/common_operations.h"
#include "mime/header_policy.h"
#include "mime/media_types.h"
#include "mime/message_writer.h"
#include "mime/utf8.h"
#include "services/error_state.h"

namespace cli {

namespace {

using mime::FieldKind;
using mime::Part;
using mime::PartRole;

// Content-IDs name their part at a domain that is no one's.
constexpr std::string_view kContentIdDomain = "msgmake.invalid";

Refusal data_error(std::string message) { return {kExitDataError, std::move(message)}; }

// An address header's value: the addresses of every occurrence, joined by
// commas. The writer puts each on lines of its own, the first after the
// field's name, each but the last with its comma; each line must fit the
// message's line. A display name beyond ASCII folds over as many as it needs.
std::optional<Refusal> address_list(std::string_view name, const std::vector<std::string>& given,
                                    std::string& list) {
  for (const std::string& one : given) {
    for (const std::string& address : mime::split_addresses(one)) {
      for (const std::string& line : mime::address_header(name, address))
        if (line.size() + 1 > app::kMessageLineSize)
          return data_error("the address '" + address + "' does not fit on a header line");
      if (!list.empty()) list += ", ";
      list += address;
    }
  }
  return std::nullopt;
}

// The header fields in the draft's order, each only when it has something
// to say: the recipients, the subject, the sender's and the user's own
// fields, the date and the version; the priority and the draft mark come
// after the content fields.
std::optional<Refusal> header_fields(const Options& o, const std::string& date, mime::Message& message) {
  const struct {
    std::string_view name;
    std::vector<std::string> given;
  } lists[] = {{"To", o.to}, {"Cc", o.cc}, {"Bcc", o.bcc}, {"", {}}, {"From", {o.from}}, {"Reply-To", o.reply_to}};
  for (const auto& header : lists) {
    if (header.name.empty()) {  // the subject's place
      const std::string_view subject = app::clipped(o.subject);
      if (!subject.empty()) message.fields.push_back({"Subject", std::string(subject), FieldKind::text});
      continue;
    }
    std::string list;
    if (auto refusal = address_list(header.name, header.given, list)) return refusal;
    if (!list.empty()) message.fields.push_back({std::string(header.name), std::move(list), FieldKind::address_list});
  }
  for (const app::HeaderField& field : o.headers)
    message.fields.push_back(
        {field.name, field.value, app::address_field(field.name) ? FieldKind::address_list : FieldKind::text});
  message.fields.push_back({"Date", date, FieldKind::as_written});
  message.fields.push_back({"MIME-Version", "1.0", FieldKind::as_written});
  message.content_fields_at = message.fields.size();
  app::add_priority_fields(app::exact_priority_lines(o.priority), message.fields);
  message.fields.push_back({"X-Unsent", "1", FieldKind::as_written});
  message.preamble = {"This is a multi-part message in MIME format.", ""};
  message.longest_header_line = app::kMessageLineSize;
  return std::nullopt;
}

// Every name must fit the program's name fields.
std::optional<Refusal> check_names(const Options& o) {
  std::vector<const std::string*> names = {&o.output, &o.sound};
  for (const std::string& a : o.attachments) names.push_back(&a);
  for (const std::string& p : o.pictures) names.push_back(&p);
  for (const std::string* name : names) {
    if (name->size() > app::kQueueTextSize)
      return data_error("the file name '" + *name + "' is longer than 255 bytes");
    // The program's name fields are padded with spaces: a name's own spaces
    // at its end would be lost, and another file named.
    if (!name->empty() && name->back() == ' ')
      return data_error("the file name '" + *name + "' ends in a space, which the program cannot keep");
  }
  return std::nullopt;
}

// A Content-ID that is unique in the draft and, with the draft's time and
// what the file is (its name, size and first bytes), across drafts; the
// same draft made twice at the same time has the same ids.
std::string content_id(size_t number, const std::string& name, const mime::FileLook& look,
                       std::string_view date) {
  uint64_t hash = 0xCBF29CE484222325u;  // FNV-1a
  const auto mix = [&hash](std::string_view bytes) {
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
    hash = (hash ^ 0xFF) * 0x100000001B3u;  // ends the piece
  };
  mix(date);
  mix(name);
  mix(std::to_string(look.stamp.size));
  mix(look.head);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id = "part" + std::to_string(number) + ".";
  for (int shift = 60; shift >= 0; shift -= 4) id += kHex[(hash >> shift) & 15];
  return id + "@" + std::string(kContentIdDomain);
}

Part file_part(PartRole role, std::string type, const std::string& file, const mime::FileLook& look) {
  Part part;
  part.role = role;
  part.type = std::move(type);
  part.encoding = mime::TransferEncoding::base64;
  part.body.kind = mime::BodySource::Kind::file;
  part.body.file = file;
  part.body.stamp = look.stamp;
  part.body.size = look.stamp.size;
  return part;
}

std::span<const unsigned char> head_of(const mime::FileLook& look) {
  return {reinterpret_cast<const unsigned char*>(look.head.data()), look.head.size()};
}

// Looks at a file the options name, the whole of it through `scan` when one
// is given; the refusal when it cannot be read.
std::optional<Refusal> look_at(std::string_view what, const std::string& file, mime::FileLook& look,
                               mime::ContentScan* scan = nullptr) {
  if (mime::look_at_file(file, mime::kSignatureBytes, look, scan)) return std::nullopt;
  const int32_t code = drv::code_of_system_error(look.system_error);
  const int exit_code = app::is_unreadable_input(0, look.system_error) ? app::kExitNoInput : app::kExitIoError;
  const svc::MessageText text = svc::error_state().message_of(code);
  const std::string reason = app::is_folder(file) ? app::kFolderText : std::string(app::clipped(text.view()));
  return Refusal{exit_code, "cannot read " + std::string(what) + " '" + file + "': " + reason};
}

// An attached file, typed by the name it goes by (its own, or `given`) and,
// where that decides its form (a text, a message), by its whole content (see
// mime::attachment_form). One that can be read only once (standard input, a
// pipe) is read now through `input`, opened already or not, and kept for the
// writer. False when the run cannot go on: `refusal` tells why, or when it
// is empty run_outcome() does.
bool attachment_part(const std::string& file, const std::string& given, std::shared_ptr<app::KeptInput> input,
                     Part& part, std::optional<Refusal>& refusal) {
  const std::string name = given.empty() ? std::string(app::base_name(file)) : given;
  const std::string type = mime::attachment_type(name);
  mime::ContentScan scan(app::kBoundaries);
  const bool scanned = mime::content_decides_form(type);
  if (input == nullptr) {
    mime::FileLook look;
    if ((refusal = look_at("attachment", file, look, scanned ? &scan : nullptr))) return false;
    part = file_part(PartRole::attachment, "", file, look);
  } else {
    const auto put = [&scan, scanned](std::string_view bytes) {
      if (scanned) scan.put({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
    };
    if ((!input->opened() && !input->open(file)) || !input->read_first(put)) return false;
    part.role = PartRole::attachment;
    part.body.kind = mime::BodySource::Kind::stream;
    part.body.stream = [input](const mime::ByteSink& put_bytes) { return input->read_again(put_bytes); };
    part.body.file = file == kStandardInput ? std::string() : file;
    part.body.size = input->size();
  }
  mime::PartForm form = mime::attachment_form(type, scan.verdict());
  part.type = std::move(form.type);
  part.encoding = form.encoding;
  part.file_name = name;
  part.disposition = mime::Disposition::attachment;
  return true;
}

Part text_part(PartRole role, std::string type, mime::ByteStream stream, const std::string& file, uint64_t size) {
  Part part;
  part.role = role;
  part.type = std::move(type);
  part.parameters.push_back({"charset", "utf-8"});
  part.encoding = mime::TransferEncoding::quoted_printable;
  part.body.kind = mime::BodySource::Kind::stream;
  part.body.stream = std::move(stream);
  part.body.file = file;
  part.body.size = size;
  return part;
}

app::BodyRequest body_request(const Options& o) {
  app::BodyRequest body;
  body.kind = o.markdown ? app::BodyKind::markdown : o.html ? app::BodyKind::html : app::BodyKind::text;
  body.file = o.body_file;
  body.charset = o.charset;
  body.pictures = o.pictures;
  body.picture_folders = o.picture_folders;
  return body;
}

// A text that asks for no page is sent as the text alone: a page of its own
// would double the draft and come back as a stray part on every re-edit.
bool text_only(const Options& o) {
  return !o.html && !o.markdown && !o.body_file.empty() && !o.page_given && o.pictures.empty() && o.sound.empty();
}

// The text of --signature, UTF-8, without a byte-order mark that begins it.
std::optional<Refusal> read_signature(const std::string& file, std::string& text) {
  if (file.empty()) return std::nullopt;
  if (auto refusal = read_small_file(file, "the signature", text)) return refusal;
  if (mime::first_invalid_utf8(text) != std::string_view::npos)
    return data_error("the signature '" + file + "' is not valid UTF-8");
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  return std::nullopt;
}

}  // namespace

std::optional<Refusal> check_draft(const mime::Message& message, const Options& o) {
  const app::DraftFiles files = app::walk_draft_files(message, o.output == kStandardOutput ? "" : o.output);
  if (!files.reading_output.empty()) {
    const Part& part = *files.reading_output.front();
    return Refusal{app::kExitUsage, "the draft to write, '" + o.output + "', is the " +
                                        app::part_file_role(part.role) + " '" + part.body.file + "'"};
  }
  if (files.size_bound > app::kLargestMessage)
    return data_error("the message would be larger than 2 GiB, the most a message can have (up to " +
                      std::to_string(files.size_bound >> 20) + " MiB); nothing was written");
  return std::nullopt;
}

bool build_message(const Options& o, app::OptionsBody& body, mime::Message& message,
                   std::optional<Refusal>& refusal) {
  const std::string date = app::draft_date();
  refusal = check_names(o);
  if (!refusal) refusal = header_fields(o, date, message);
  // Measured as the call's checks measure it (the FONT tag of the call
  // text's page).
  char tag_value[app::kFontFaceValueSize];
  if (!refusal && app::font_face_value(o.font, tag_value).size() > app::kFontFaceRoom)
    refusal = data_error("the font face is longer than its line can carry");
  if (refusal) return false;
  // Standard input first, before the run opens a file, then the body.
  const auto input_attachment = std::find(o.attachments.begin(), o.attachments.end(), kStandardInput);
  std::shared_ptr<app::KeptInput> from_input;
  if (input_attachment != o.attachments.end()) {
    from_input = std::make_shared<app::KeptInput>("attachment", "attachment");
    if (!from_input->open(std::string(kStandardInput))) return false;
  }
  const app::BodyRequest request = body_request(o);
  if (!body.open(request) || !body.prepare(request)) return false;
  const app::PreparedBody& prepared = body.prepared();
  std::string signature;
  if ((refusal = read_signature(o.signature, signature))) return false;

  app::PageStyle style;
  style.background = o.background;
  style.text_color = o.font_color;
  style.font = o.font;
  style.font_size = static_cast<uint8_t>(o.font_size & 0xFF);
  style.signature = signature;
  std::vector<Part> embedded;
  for (size_t i = 0; i < prepared.pictures.size(); ++i) {
    const std::string& file = prepared.pictures[i];
    const mime::FileLook& look = prepared.looks[i];
    const std::string name(app::base_name(file, true));
    Part part = file_part(PartRole::picture, std::string(mime::picture_type(head_of(look), name)), file, look);
    part.file_name = name;
    part.disposition = mime::Disposition::inline_part;
    part.content_id = content_id(embedded.size() + 1, name, look, date);
    style.picture_ids.push_back(part.content_id);
    embedded.push_back(std::move(part));
  }
  if (!o.sound.empty()) {
    mime::FileLook look;
    if ((refusal = look_at("sound file", o.sound, look))) return false;
    const std::string name(app::base_name(o.sound));
    Part part = file_part(PartRole::sound, std::string(mime::sound_type(head_of(look), name)), o.sound, look);
    part.file_name = name;
    part.content_id = content_id(embedded.size() + 1, name, look, date);
    style.sound_id = part.content_id;
    style.loop_count = app::exact_loop_count(o.loop);
    embedded.push_back(std::move(part));
  }
  std::vector<Part> attachments(o.attachments.size());
  for (size_t i = 0; i < o.attachments.size(); ++i) {
    const std::string& file = o.attachments[i];
    std::shared_ptr<app::KeptInput> input =
        file == kStandardInput ? from_input
        : app::read_only_once(file) ? std::make_shared<app::KeptInput>("attachment", "attachment")
                                    : nullptr;
    const std::string name = i < o.attachment_names.size() ? o.attachment_names[i] : std::string();
    if (!attachment_part(file, name, std::move(input), attachments[i], refusal)) return false;
  }

  const std::string body_file = o.body_file == kStandardInput ? std::string() : o.body_file;
  // Escaped in the HTML, a signature's byte may take up to five.
  const uint64_t size = body.size() + 5 * signature.size();
  Part plain = text_part(
      PartRole::plain_text, "text/plain",
      [&body, signature](const mime::ByteSink& put) { return app::options_plain_text(body, signature, put); },
      body_file, size);
  std::optional<Part> html;
  if (!text_only(o))
    html = text_part(
        PartRole::html, "text/html",
        [&body, style](const mime::ByteSink& put) { return app::options_html_text(body, style, put); }, body_file,
        body.html_size() + 5 * signature.size());
  message.root = mime::draft_structure(std::move(plain), std::move(html), std::move(embedded), std::move(attachments),
                                       app::draft_boundaries());
  if (!message.root.container()) message.preamble.clear();
  return true;
}

}  // namespace cli
