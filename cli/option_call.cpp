#include "cli/option_call.h"

#include <utility>
#include <vector>

#include "app/html_body.h"
#include "app/output_checks.h"
#include "app/program_data.h"
#include "cli/input_file.h"
#include "mime/header_policy.h"
#include "services/error_state.h"

namespace cli {

namespace {

using app::Argument;

Refusal data_error(std::string message) { return {kExitDataError, std::move(message)}; }

Refusal unreadable(std::string_view what, std::string_view name, int32_t code) {
  const svc::MessageText text = svc::error_state().message_of(code);
  const std::string reason = app::is_folder(name) ? app::kFolderText : std::string(app::clipped(text.view()));
  return {app::kExitNoInput, "cannot read " + std::string(what) + " '" + std::string(name) + "': " + reason};
}

// An address header's value: the addresses of every occurrence, joined by
// commas. The composer writes each on lines of its own, the first after the
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

struct AddressHeader {
  std::string_view name;
  std::vector<std::string> Options::*given;
  Argument argument;
};
constexpr AddressHeader kAddressHeaders[] = {
    {"To", &Options::to, Argument::to_list},
    {"Cc", &Options::cc, Argument::cc_list},
    {"Bcc", &Options::bcc, Argument::bcc_list},
};

// The sender's fields, then the user's own, all written after the Subject.
std::optional<Refusal> header_fields(const Options& o, std::vector<app::HeaderField>& fields) {
  const struct {
    std::string_view name;
    std::vector<std::string> given;
  } senders[] = {{"From", {o.from}}, {"Reply-To", o.reply_to}};
  for (const auto& sender : senders) {
    std::string list;
    if (auto refusal = address_list(sender.name, sender.given, list)) return refusal;
    if (!list.empty()) fields.push_back({std::string(sender.name), std::move(list)});
  }
  fields.insert(fields.end(), o.headers.begin(), o.headers.end());
  return std::nullopt;
}

std::optional<Refusal> headers(const Options& o, app::PreparedCall& call) {
  for (const AddressHeader& h : kAddressHeaders)
    if (auto refusal = address_list(h.name, o.*h.given, call[h.argument])) return refusal;
  call[Argument::subject] = o.subject;
  return header_fields(o, call.header_fields);
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

// The draft must not take the place of a file it is made from: that file
// would be lost. Judged by name and by what the names lead to.
std::optional<Refusal> check_output_is_no_input(const Options& o) {
  if (o.output == kStandardOutput) return std::nullopt;
  std::vector<std::pair<const char*, const std::string*>> inputs;
  if (!o.body_file.empty() && o.body_file != kStandardInput) inputs.emplace_back("body file", &o.body_file);
  for (const std::string& a : o.attachments) inputs.emplace_back("attachment", &a);
  for (const std::string& p : o.pictures) inputs.emplace_back("picture", &p);
  if (!o.sound.empty()) inputs.emplace_back("sound file", &o.sound);
  for (const auto& [what, name] : inputs)
    if (app::same_file(o.output, *name))
      return Refusal{app::kExitUsage, "the draft to write, '" + o.output + "', is the " + what + " '" + *name + "'"};
  return std::nullopt;
}

std::optional<Refusal> check_inputs(const Options& o) {
  for (const std::string& a : o.attachments)
    if (const int32_t code = check_readable(a)) return unreadable("attachment", a, code);
  for (const std::string& p : o.pictures)
    if (const int32_t code = check_readable(p)) return unreadable("image", p, code);
  return std::nullopt;
}

// The body file is read and checked when the run has its work directory,
// which keeps a body that cannot be read twice.
app::BodyRequest body_request(const Options& o) {
  app::BodyRequest body;
  body.kind = o.html ? app::BodyKind::html : app::BodyKind::text;
  body.file = o.body_file;
  body.pictures = o.pictures;
  body.picture_folders = o.picture_folders;
  return body;
}

}  // namespace

std::optional<Refusal> build_call(const Options& o, app::PreparedCall& call) {
  if (auto refusal = check_names(o)) return refusal;
  if (auto refusal = headers(o, call)) return refusal;
  // Measured as the call's checks measure it (the FONT tag of the call
  // text's page).
  char tag_value[app::kFontFaceValueSize];
  if (app::font_face_value(o.font, tag_value).size() > app::kFontFaceRoom)
    return data_error("the font face is longer than its line can carry");
  if (auto refusal = check_output_is_no_input(o)) return refusal;
  if (auto refusal = check_inputs(o)) return refusal;
  call.body = body_request(o);
  call[Argument::message_file] = o.output;
  call.to_standard_output = o.output == kStandardOutput;
  call[Argument::unused] = std::to_string(0);  // read as a number, never used
  call[Argument::back_color] = std::to_string(o.background == 0 ? kBlackPage : o.background);
  call[Argument::font_face] = o.font;
  call[Argument::font_color] = std::to_string(o.font_color);
  call[Argument::font_size] = std::to_string(o.font_size);
  call[Argument::sound_file] = o.sound;
  call[Argument::sound_loop] = o.loop;
  call[Argument::priority] = o.priority;
  call.file_names = o.attachments;
  return std::nullopt;
}

}  // namespace cli
