// The texts of the message procedure's arguments and queues: the call text
// carries them in Windows-1252, the options interface in UTF-8. Headers and
// names go out in UTF-8, so the call text's are converted.
#pragma once

#include <string>
#include <string_view>

namespace app {

enum class ArgumentCharset { windows_1252, utf8 };

// The call text's code page until the options interface says otherwise.
void set_argument_charset(ArgumentCharset charset);
ArgumentCharset argument_charset();

// `text` in UTF-8.
std::string utf8_argument(std::string_view text);

}  // namespace app
