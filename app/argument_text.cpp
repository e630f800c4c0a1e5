#include "app/argument_text.h"

#include "mime/text_codecs.h"

namespace app {

namespace {
ArgumentCharset charset = ArgumentCharset::windows_1252;
}  // namespace

void set_argument_charset(ArgumentCharset given) { charset = given; }
ArgumentCharset argument_charset() { return charset; }

std::string utf8_argument(std::string_view text) {
  return charset == ArgumentCharset::utf8 ? std::string(text) : mime::windows_1252_to_utf8(text);
}

}  // namespace app
