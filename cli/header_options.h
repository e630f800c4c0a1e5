// The options that shape the header block beyond recipients and subject:
// the sender (--from, --reply-to), fields of the user's own (--header
// 'Name: value'), and the check that every address given can be sent to.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/composer.h"
#include "cli/refusal.h"

namespace cli {

// The longest field name: "Name:" must fit on a header line by itself.
inline constexpr size_t kLongestFieldName = 77;

// One --header text as a field: the name before the first ":", the value
// after it without the white space around it. A usage error (64) when there
// is no ":", the name is no field name or is longer than kLongestFieldName,
// or it is a field that msgmake writes itself (or from another option).
std::optional<Refusal> header_field(std::string_view given, app::HeaderField& field);

// A data error (65) naming the first address of the lists that cannot be
// sent to, and what is wrong with it; `option` names the option in the
// message.
std::optional<Refusal> check_addresses(std::string_view option, const std::vector<std::string>& lists);

}  // namespace cli
