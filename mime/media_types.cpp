#include "mime/media_types.h"

#include <algorithm>
#include <cstdint>

namespace mime {

namespace {

using Head = std::span<const unsigned char>;

// Bytes at the start of a file and, for the RIFF containers, the form named
// at offset 8.
struct Signature {
  std::string_view start;
  std::string_view form;  // at kFormOffset; empty when none is needed
  std::string_view type;
};
constexpr size_t kFormOffset = 8;

constexpr Signature kPictureSignatures[] = {
    {"\x89PNG\r\n\x1A\n", {}, "image/png"},
    {"\xFF\xD8\xFF", {}, "image/jpeg"},
    {"GIF87a", {}, "image/gif"},
    {"GIF89a", {}, "image/gif"},
    {"RIFF", "WEBP", "image/webp"},
    {std::string_view("\0\0\1\0", 4), {}, "image/vnd.microsoft.icon"},
    {"BM", {}, "image/bmp"},
    {std::string_view("II*\0", 4), {}, "image/tiff"},
    {std::string_view("MM\0*", 4), {}, "image/tiff"},
};

constexpr Signature kSoundSignatures[] = {
    {"RIFF", "WAVE", "audio/wav"},
    {"ID3", {}, "audio/mpeg"},
    {"MThd", {}, "audio/midi"},
    {".snd", {}, "audio/basic"},
};

struct ExtensionType {
  std::string_view extension;
  std::string_view type;
};

constexpr ExtensionType kPictureExtensions[] = {
    {"png", "image/png"},  {"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"},
    {"jpe", "image/jpeg"}, {"gif", "image/gif"},  {"bmp", "image/bmp"},
    {"webp", "image/webp"}, {"ico", "image/vnd.microsoft.icon"}, {"svg", "image/svg+xml"},
    {"tif", "image/tiff"}, {"tiff", "image/tiff"},
};

constexpr ExtensionType kSoundExtensions[] = {
    {"wav", "audio/wav"},  {"mp3", "audio/mpeg"}, {"mid", "audio/midi"},
    {"midi", "audio/midi"}, {"au", "audio/basic"}, {"snd", "audio/basic"},
};

bool holds_at(Head head, size_t offset, std::string_view bytes) {
  if (head.size() < offset + bytes.size()) return false;
  return std::equal(bytes.begin(), bytes.end(), head.begin() + static_cast<std::ptrdiff_t>(offset),
                    [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; });
}

std::string_view by_signature(Head head, std::span<const Signature> signatures) {
  for (const Signature& s : signatures)
    if (holds_at(head, 0, s.start) && (s.form.empty() || holds_at(head, kFormOffset, s.form))) return s.type;
  return {};
}

std::string_view by_extension(std::string_view file_name, std::span<const ExtensionType> table) {
  const std::string extension = lower_extension(file_name);
  for (const ExtensionType& e : table)
    if (e.extension == extension) return e.type;
  return kUnknownType;
}

// An SVG picture is text: after a byte-order mark and white space, "<svg",
// or an XML declaration followed (within the bytes given) by "<svg".
bool is_svg(Head head) {
  const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
  size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  at = std::min(text.find_first_not_of(" \t\r\n", at), text.size());
  const std::string_view rest = text.substr(at);
  return rest.starts_with("<svg") || (rest.starts_with("<?xml") && rest.find("<svg") != std::string_view::npos);
}

// An MPEG audio frame header: eleven set bits of frame sync, then a version
// other than the reserved one, a layer (not 0, which marks AAC), and a bit
// rate other than the invalid one.
bool is_mpeg_frame(Head head) {
  if (head.size() < 3 || head[0] != 0xFF || (head[1] & 0xE0) != 0xE0) return false;
  const unsigned version = (head[1] >> 3) & 3, layer = (head[1] >> 1) & 3, bit_rate = head[2] >> 4;
  return version != 1 && layer != 0 && bit_rate != 15;
}

}  // namespace

std::string lower_ascii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

std::string lower_extension(std::string_view file_name) {
  const size_t slash = file_name.find_last_of("/\\");
  const std::string_view base = slash == std::string_view::npos ? file_name : file_name.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return lower_ascii(base.substr(dot + 1));
}

std::string_view picture_content_type(Head head) {
  if (const std::string_view type = by_signature(head, kPictureSignatures); !type.empty()) return type;
  return is_svg(head) ? "image/svg+xml" : std::string_view();
}

std::string_view picture_type(Head head, std::string_view file_name) {
  if (const std::string_view type = picture_content_type(head); !type.empty()) return type;
  return by_extension(file_name, kPictureExtensions);
}

std::string_view sound_type(Head head, std::string_view file_name) {
  if (const std::string_view type = by_signature(head, kSoundSignatures); !type.empty()) return type;
  if (is_mpeg_frame(head)) return "audio/mpeg";
  return by_extension(file_name, kSoundExtensions);
}

}  // namespace mime
