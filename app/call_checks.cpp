#include "app/call_checks.h"

#include <string>
#include <string_view>

#include "app/composer.h"
#include "app/draft_date.h"
#include "app/html_body.h"
#include "app/message_output.h"
#include "app/output_checks.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "platform/file.h"
#include "platform/last_error.h"

namespace app {

namespace {

// A line of the message with its CR LF.
constexpr uint64_t kLineBound = kMessageLineSize + 2;
// A body line in the HTML part and again, as text that quoted-printable may
// make three times as long, in the plain part.
constexpr uint64_t kBodyLineBound = 4 * kLineBound;
// The header block, the template of the HTML part and the closing lines.
constexpr uint64_t kFixedBound = 64 * 1024;
// The header lines of one binary part and the empty lines around its text.
constexpr uint64_t kPartBound = 10 * kLineBound;
// Base64 lines: 57 bytes make 76 characters and the CR LF.
constexpr uint64_t kBytesPerLine = 57;
constexpr uint64_t kCharactersPerLine = 78;

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

uint64_t file_size(std::string_view name) {
  const std::string path(clipped(name));
  plat::name_entry entry;
  // Only a regular file is opened: an open of a FIFO would disturb its writer.
  if (!plat::GetNameEntry(path.c_str(), &entry) || entry.kind != plat::entry_kind::file) {
    plat::SetLastError(0);
    return 0;
  }
  const plat::HANDLE file =
      plat::CreateFileA(path.c_str(), plat::GENERIC_READ, plat::FILE_SHARE_READ | plat::FILE_SHARE_WRITE, nullptr,
                        plat::OPEN_EXISTING, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == plat::INVALID_HANDLE_VALUE) {
    plat::SetLastError(0);
    return 0;
  }
  plat::DWORD high = 0;
  const plat::DWORD low = plat::GetFileSize(file, &high);
  plat::CloseHandle(file);
  plat::SetLastError(0);
  return low == plat::INVALID_FILE_SIZE && high == 0 ? 0 : uint64_t{high} << 32 | low;
}

uint64_t part_bound(std::string_view file) {
  return kPartBound + (file_size(file) / kBytesPerLine + 1) * kCharactersPerLine;
}

uint64_t header_bound(std::string_view list) {
  uint64_t lines = 1;
  for (char c : list) lines += c == ',';
  return list.size() + lines * 8;
}

}  // namespace

uint64_t message_size_bound(const MessageArguments& args) {
  ProgramData& data = program_data();
  uint64_t bound = kFixedBound;
  for (const HeaderArgument& header : kHeaderArguments) bound += header_bound(args.*header.value);
  ProgramQueue& files = data.file_names;
  for (uint32_t i = 1; i <= files.records(); ++i) {
    files.get(i);
    bound += part_bound(clipped(files.field(), files.field_size()));
  }
  ProgramQueue& body = data.body_lines;
  for (uint32_t i = 1; i <= body.records(); ++i) {
    body.get(i);
    bound += kBodyLineBound;
    const ImageReference ref = find_image_reference(body.field(), body.field_size());
    if (ref.found()) bound += part_bound(ref.name(body.field()));
  }
  if (!is_blank(args.sound_file)) bound += part_bound(args.sound_file);
  return bound;
}

bool call_may_run(const MessageArguments& args) {
  if (is_blank(args.message_file))
    return refuse(kExitCannotCreate, "cannot write message: the message file name is blank");
  if (const std::optional<std::string> fault = source_date_epoch_fault()) return refuse(kExitUsage, *fault);
  if (!arguments_fit(args)) return false;
  if (!message_to_standard_output() && !message_file_is_no_input(args.message_file, args.sound_file)) return false;
  if (const uint64_t bound = message_size_bound(args); bound > kLargestMessage)
    return refuse(kExitDataError, "the message would be larger than 2 GiB, the most a message can have (up to " +
                                      std::to_string(bound >> 20) + " MiB)");
  return true;
}

}  // namespace app
