// The one table of error codes and their message texts for the whole
// runtime: file codes, system codes (300 + system error), run-time checks,
// internal and window failures, DDE and the expression evaluator. It is the
// program's compiled-in string table; the error state looks messages up here
// after the environment file's overrides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace svc {

struct ErrorMessageEntry {
  std::int32_t code;
  std::string_view text;
};

// The compiled message text for a code, or an empty view (data() null) when
// the table has none.
std::string_view table_message(std::int32_t code);

// Every entry, ascending by code.
std::span<const ErrorMessageEntry> error_message_table();

}  // namespace svc
