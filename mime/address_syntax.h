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

// Where the parts of an address stand, as a reader finds them: the local
// part and the domain of its address proper (what its angle brackets hold,
// else the address without its comments), split at its '@'. Views into the
// address given; `fault` names what keeps a reader from finding them (a
// quote, comment or bracket left open, text after the angle address, no
// '@' or more than one), and is empty when nothing does.
struct AddressLayout {
  std::string_view fault;
  std::string_view local;
  std::string_view domain;
};
AddressLayout address_layout(std::string_view address);

}  // namespace mime
