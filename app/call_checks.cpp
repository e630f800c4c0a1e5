#include "app/call_checks.h"

#include <string>
#include <string_view>

#include "app/composer.h"
#include "app/draft_date.h"
#include "app/html_body.h"
#include "app/message_output.h"
#include "app/output_checks.h"
#include "app/path_limits.h"
#include "app/program_data.h"
#include "app/run_outcome.h"

namespace app {

namespace {

// The header lines that an address list or the subject makes, with the
// argument's name for the refusal.
struct HeaderArgument {
  const char* name;
  std::string_view MessageArguments::*value;
  bool omitted_when_blank;
};
constexpr HeaderArgument kHeaderArguments[] = {
    {"To", &MessageArguments::to_list, false},
    {"Cc", &MessageArguments::cc_list, true},
    {"Bcc", &MessageArguments::bcc_list, true},
    {"Subject", &MessageArguments::subject, false},
};

// Names held in a field of their own, which cuts what does not fit.
struct NameArgument {
  const char* name;
  std::string_view MessageArguments::*value;
};
constexpr NameArgument kNameArguments[] = {
    {"message file", &MessageArguments::message_file},
    {"sound file", &MessageArguments::sound_file},
};

bool refuse(int exit_code, std::string text) {
  run_outcome().refuse(exit_code, std::move(text) + "; nothing was written");
  return false;
}

// The header's lines as the composer writes them, measured rather than written.
bool header_cut(const HeaderArgument& header, std::string_view value) {
  LineCheck check;
  write_lines(header.value == &MessageArguments::subject ? subject_lines(value) : address_lines(header.name, value));
  return check.any_cut();
}

bool arguments_fit(const MessageArguments& args) {
  for (const HeaderArgument& header : kHeaderArguments) {
    const std::string_view value = args.*header.value;
    if (header.omitted_when_blank && is_blank(value)) continue;
    if (header_cut(header, value))
      return refuse(kExitDataError, std::string("the ") + header.name + " argument does not fit on its header line (" +
                                        std::to_string(kMessageLineSize) + " bytes)");
  }
  for (const NameArgument& name : kNameArguments)
    if (clipped(args.*name.value).size() > kFileNameSize)
      return refuse(kExitDataError, std::string("the ") + name.name + " name is longer than " +
                                        std::to_string(kFileNameSize) + " bytes");
  char face[kFontFaceValueSize];
  if (font_face_value(clipped(args.font_face), face).size() > kFontFaceRoom)
    return refuse(kExitDataError, "the font face does not fit on its line");
  return true;
}

}  // namespace

bool call_may_run(const MessageArguments& args) {
  if (is_blank(args.message_file))
    return refuse(kExitCannotCreate, "cannot write message: the message file name is blank");
  if (const std::optional<std::string> fault = source_date_epoch_fault()) return refuse(kExitUsage, *fault);
  return arguments_fit(args);
}

bool call_files_fit(const MessageArguments& args, const mime::Message& message) {
  const std::string_view message_file = clipped(args.message_file);
  PathLimits paths(message_file);
  const DraftFiles files = walk_draft_files(message, message_to_standard_output() ? "" : message_file,
                                            [&paths](const mime::Part& part) { paths.visit(part); });
  for (const mime::PartRole role : kCallFileRoles)
    for (const mime::Part* part : files.reading_output)
      if (part->role == role)
        return refuse(kExitUsage, "the message file '" + std::string(message_file) + "' is also the " +
                                      part_file_role(role) + " '" + part->body.file + "'");
  if (files.size_bound > kLargestMessage)
    return refuse(kExitDataError, "the message would be larger than 2 GiB, the most a message can have (up to " +
                                      std::to_string(files.size_bound >> 20) + " MiB)");
  return paths.fit();
}

}  // namespace app
