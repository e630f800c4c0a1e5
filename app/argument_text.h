// The texts of the message procedure's arguments and queues: the call text
// carries them in Windows-1252, and headers and names go out in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace app {

// `text` in UTF-8.
std::string utf8_argument(std::string_view text);

}  // namespace app
