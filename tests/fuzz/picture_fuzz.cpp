// Picture texts and shown texts from outside: compiling, FORMAT and DEFORMAT
// must stay inside their buffers whatever they are given.
//
// Input: a picture text, a NUL, then the value or shown text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "runtime/picture.h"
#include "runtime/picture_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const void* nul = std::memchr(text, '\0', size);
  const size_t picture_length = nul == nullptr ? size : static_cast<const char*>(nul) - text;
  const std::string_view picture_text(text, picture_length);
  const std::string_view value =
      nul == nullptr ? std::string_view() : std::string_view(text + picture_length + 1, size - picture_length - 1);

  const rt::CompiledPicture picture = rt::compile_picture(picture_text);
  if (picture.count() > rt::kFormatWidthMax) std::abort();
  if (picture.kind() != rt::PictureKind::string && picture.count() > rt::kPictureTokenCapacity) {
    std::abort();
  }

  char shown[rt::kFormatWidthMax];
  const uint32_t width = rt::format_text(value, picture, shown);
  if (width != (picture.valid() ? picture.count() : 0)) std::abort();

  char read[rt::kFormatWidthMax];
  rt::deformat_text(value, picture, read, sizeof read);
  rt::deformat_text(std::string_view(shown, width), picture, read, sizeof read);
  // A small output area is never overrun.
  char tiny[2];
  rt::deformat_text(value, picture, tiny, sizeof tiny);
  return 0;
}
