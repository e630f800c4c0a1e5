// The attachments' table of media types (see media_types.h).
#include <algorithm>
#include <optional>

#include "mime/media_types.h"
#include "platform/file.h"
#include "platform/handle.h"
#include "platform/last_error.h"

namespace mime {

namespace {

constexpr char kSystemTable[] = "/etc/mime.types";
constexpr size_t kMaxTypeSize = 100;
constexpr std::string_view kRfc822 = "message/rfc822";

constexpr std::string_view kTransferEncodingNames[] = {"base64", "7bit", "8bit", "quoted-printable"};  // ORDER: TransferEncoding
static_assert(std::size(kTransferEncodingNames) == static_cast<size_t>(TransferEncoding::quoted_printable) + 1);

// For where the system has no table: the common types, as the system's table
// of Debian's media-types package names them.
constexpr std::string_view kBuiltInTable =
    "application/gzip gz\n"
    "application/json json\n"
    "application/msword doc\n"
    "application/pdf pdf\n"
    "application/rtf rtf\n"
    "application/vnd.ms-excel xls\n"
    "application/vnd.ms-powerpoint ppt pps\n"
    "application/vnd.oasis.opendocument.presentation odp\n"
    "application/vnd.oasis.opendocument.spreadsheet ods\n"
    "application/vnd.oasis.opendocument.text odt\n"
    "application/vnd.openxmlformats-officedocument.presentationml.presentation pptx\n"
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet xlsx\n"
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document docx\n"
    "application/x-7z-compressed 7z\n"
    "application/x-tar tar\n"
    "application/xml xml\n"
    "application/zip zip\n"
    "audio/basic au snd\n"
    "audio/mpeg mpga mpega mp1 mp2 mp3\n"
    "audio/x-wav wav\n"
    "image/bmp bmp\n"
    "image/gif gif\n"
    "image/jpeg jpeg jpg jpe\n"
    "image/png png\n"
    "image/svg+xml svg svgz\n"
    "image/tiff tiff tif\n"
    "image/vnd.microsoft.icon ico\n"
    "image/webp webp\n"
    "message/rfc822 eml\n"
    "text/calendar ics\n"
    "text/css css\n"
    "text/csv csv\n"
    "text/html html htm shtml\n"
    "text/markdown md markdown\n"
    "text/plain txt text\n"
    "text/vcard vcf vcard\n"
    "video/mp4 mp4\n";

// The whole text of the system's table; nothing when it cannot be read. The
// caller's last error stays as it was.
std::optional<std::string> read_system_table() {
  const plat::DWORD saved_error = plat::GetLastError();
  std::optional<std::string> text;
  const plat::HANDLE file = plat::CreateFileA(kSystemTable, plat::GENERIC_READ, plat::FILE_SHARE_READ, nullptr,
                                              plat::OPEN_EXISTING, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != plat::INVALID_HANDLE_VALUE) {
    text.emplace();
    // Room for the whole file at once: a text grown block by block would be
    // copied and its fresh pages touched again at every growth.
    plat::DWORD size_high = 0;
    const plat::DWORD size = plat::GetFileSize(file, &size_high);
    if (size != plat::INVALID_FILE_SIZE && size_high == 0) text->reserve(size);
    char block[16384];
    plat::DWORD got = 0;
    while (true) {
      if (!plat::ReadFile(file, block, sizeof block, &got, nullptr)) {
        text.reset();
        break;
      }
      if (got == 0) break;
      text->append(block, got);
    }
    plat::CloseHandle(file);
  }
  plat::SetLastError(saved_error);
  return text;
}

// A byte of a type's or subtype's name: printable, no blank, none of the
// bytes that delimit a header's parameters.
bool is_token_byte(char c) {
  return c > ' ' && c < 0x7F && std::string_view("()<>@,;:\\\"/[]?=").find(c) == std::string_view::npos;
}

// A type and subtype that can stand in a Content-Type line as they are.
bool is_media_type(std::string_view type) {
  const size_t slash = type.find('/');
  if (type.size() > kMaxTypeSize || slash == 0 || slash == std::string_view::npos || slash + 1 == type.size())
    return false;
  return std::all_of(type.begin(), type.begin() + static_cast<std::ptrdiff_t>(slash), is_token_byte) &&
         std::all_of(type.begin() + static_cast<std::ptrdiff_t>(slash) + 1, type.end(), is_token_byte);
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Hands `entry` each extension of a table's text that `wanted` accepts, with
// its line's type, in the text's order, until `entry` returns false. Lines are
// cut at LF, comments at "#", words at blanks; a line whose first word is no
// media type gives none. That first word is checked only once the line has a
// wanted extension: a search for one extension then skips the check on the
// table's thousands of other lines.
template <typename Wanted, typename Entry>
void for_each_entry(std::string_view text, Wanted wanted, Entry entry) {
  const char* at = text.data();
  const char* const end = at + text.size();
  while (at < end) {
    std::string_view type;
    bool comment = false, type_checked = false;
    for (;;) {  // the words of one line
      while (at < end && is_blank(*at)) ++at;
      if (at == end || *at == '\n') break;
      const char* word = at;
      while (at < end && !is_blank(*at) && *at != '\n' && *at != '#') ++at;
      if (at > word && !comment) {
        const std::string_view w(word, static_cast<size_t>(at - word));
        if (type.empty()) {
          type = w;
        } else if (wanted(w)) {
          if (!type_checked && !is_media_type(type)) comment = true;  // the rest of the line gives nothing
          type_checked = true;
          if (!comment && !entry(type, w)) return;
        }
      }
      if (at < end && *at == '#') comment = true;
      if (comment) at = std::find(at, end, '\n');
    }
    if (at < end) ++at;  // the LF
  }
}

// The table the attachments' types come from: the system's text, read when
// first needed, or the built-in one.
std::string_view attachment_table() {
  static const std::string text = read_system_table().value_or(std::string(kBuiltInTable));
  return text;
}

}  // namespace

MediaTypeTable MediaTypeTable::parse(std::string_view text) {
  MediaTypeTable table;
  const auto every = [](std::string_view) { return true; };
  for_each_entry(text, every, [&table](std::string_view type, std::string_view extension) {
    table.by_extension_.emplace(lower_ascii(extension), type);
    return true;
  });
  return table;
}

std::string_view MediaTypeTable::find(std::string_view text, std::string_view extension) {
  std::string_view found;
  if (extension.empty()) return found;
  const auto same = [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; };
  const auto is_extension = [&](std::string_view word) {
    return std::equal(word.begin(), word.end(), extension.begin(), extension.end(), same);
  };
  for_each_entry(text, is_extension, [&found](std::string_view type, std::string_view) {
    found = type;
    return false;
  });
  return found;
}

MediaTypeTable MediaTypeTable::built_in() { return parse(kBuiltInTable); }

std::string_view MediaTypeTable::type_of(std::string_view file_name) const {
  const auto found = by_extension_.find(lower_extension(file_name));
  return found == by_extension_.end() ? std::string_view() : std::string_view(found->second);
}

std::string attachment_type(std::string_view file_name) {
  const std::string extension = lower_extension(file_name);
  const std::string_view type = extension.empty() ? std::string_view() : MediaTypeTable::find(attachment_table(), extension);
  return std::string(type.empty() ? kUnknownType : type);
}

std::string_view transfer_encoding_name(TransferEncoding encoding) {
  return kTransferEncodingNames[static_cast<size_t>(encoding)];
}

bool content_decides_form(std::string_view type) {
  const std::string lower = lower_ascii(type);
  return lower.starts_with("text/") || lower == kRfc822;
}

PartForm attachment_form(std::string_view type, const ContentVerdict& content) {
  const std::string lower = lower_ascii(type);
  const bool bytes_are_text = !content.nul && !content.lone_cr;
  if (lower == kRfc822 && bytes_are_text && content.message_shape && !content.long_line && !content.delimiter_line)
    return {std::string(kRfc822), content.eight_bit ? TransferEncoding::eight_bit : TransferEncoding::seven_bit};
  if (lower.starts_with("message/") || lower.starts_with("multipart/") || (lower.starts_with("text/") && !bytes_are_text))
    return {std::string(kUnknownType), TransferEncoding::base64};
  return {std::string(type), TransferEncoding::base64};
}

}  // namespace mime
