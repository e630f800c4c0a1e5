// The parts of an address that a comma or a bracket must not be looked for
// in: double-quoted strings (with their quoted pairs), parenthesised comments
// (which nest) and angle addresses.
#pragma once

#include <string_view>
#include <vector>

namespace mime {

// The positions of `wanted` in `text` outside quotes, comments and angle
// brackets (an opening '<' itself counts as outside).
std::vector<size_t> top_level_positions(std::string_view text, char wanted);

// An address: the display name before its angle address, both trimmed; no
// angle address (a bare address) leaves both empty.
struct AddressParts {
  std::string_view display;
  std::string_view angle;
};
AddressParts address_parts(std::string_view address);

std::string_view trimmed(std::string_view text);

}  // namespace mime
