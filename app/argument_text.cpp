#include "app/argument_text.h"

#include "mime/text_codecs.h"

namespace app {

std::string utf8_argument(std::string_view text) { return mime::windows_1252_to_utf8(text); }

}  // namespace app
