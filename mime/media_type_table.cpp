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
constexpr std::string_view kWhiteSpace = " \t\r";
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
    char block[4096];
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

const MediaTypeTable& attachment_table() {
  static const MediaTypeTable table = [] {
    const std::optional<std::string> text = read_system_table();
    return text ? MediaTypeTable::parse(*text) : MediaTypeTable::built_in();
  }();
  return table;
}

}  // namespace

MediaTypeTable MediaTypeTable::parse(std::string_view text) {
  MediaTypeTable table;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    line = line.substr(0, std::min(line.find('#'), line.size()));
    std::string type;
    for (size_t at = line.find_first_not_of(kWhiteSpace); at != std::string_view::npos;
         at = line.find_first_not_of(kWhiteSpace, at)) {
      const size_t word_end = std::min(line.find_first_of(kWhiteSpace, at), line.size());
      const std::string_view word = line.substr(at, word_end - at);
      if (type.empty()) {
        if (!is_media_type(word)) break;
        type = word;
      } else {
        table.by_extension_.emplace(lower_ascii(word), type);
      }
      at = word_end;
    }
  }
  return table;
}

MediaTypeTable MediaTypeTable::built_in() { return parse(kBuiltInTable); }

std::string_view MediaTypeTable::type_of(std::string_view file_name) const {
  const auto found = by_extension_.find(lower_extension(file_name));
  return found == by_extension_.end() ? std::string_view() : std::string_view(found->second);
}

std::string attachment_type(std::string_view file_name) {
  const std::string_view type = attachment_table().type_of(file_name);
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
