// Header values as the draft carries them. Every header stays 7-bit: text
// beyond ASCII is written as encoded-words (UTF-8, base64, RFC 2047), which
// every mail client shows as the text that was typed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mime/encoded_words.h"
#include "mime/header_policy.h"

namespace cli {

using mime::kEncodedWordLimit;

// A subject as it stands in its header: unchanged when it is printable ASCII
// and holds no "=?"; otherwise encoded-words separated by spaces (which a
// reader drops between two encoded-words).
std::string header_text(std::string_view utf8);

// The addresses of a list given on the command line (see header_policy.h).
using mime::split_addresses;

// One address as it stands in an address header. A display name followed by
// "<address>" is encoded (its quotes taken off) when it holds characters
// beyond ASCII or a comma, since the composer starts a new header line after
// every comma; the address is kept as given. Anything else is kept as given.
std::string header_address(std::string_view address);

}  // namespace cli
