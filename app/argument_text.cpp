#include "app/argument_text.h"

#include "mime/utf8.h"
#include "platform/text.h"

namespace app {

namespace {
ArgumentCharset charset = ArgumentCharset::windows_1252;
}  // namespace

void set_argument_charset(ArgumentCharset given) { charset = given; }
ArgumentCharset argument_charset() { return charset; }

std::string utf8_argument(std::string_view text) {
  if (charset == ArgumentCharset::utf8) return std::string(text);
  std::string utf8;
  for (char c : text) mime::append_utf8(utf8, plat::ansi_to_unicode(static_cast<plat::BYTE>(c)));
  return utf8;
}

}  // namespace app
