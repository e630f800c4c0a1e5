// Domain names as mail headers carry them: 7-bit, each label beyond ASCII
// as its A-label ("bücher.example" is "xn--bcher-kva.example").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mime {

// The ASCII form of a UTF-8 domain: ASCII labels as they are, the others as
// A-labels; nothing for a domain that is not UTF-8 or that no domain name
// may be (a disallowed or unassigned character, a label or name too long).
std::optional<std::string> ascii_domain(std::string_view utf8);

}  // namespace mime
