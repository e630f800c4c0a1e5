// MATCH: tests a value against a pattern by exact comparison, wildcards,
// regular expression or sound-alike code, answering 1 or 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace eval {

// Bits 0 to 3 of a mode select the kind of match; bit 4 ignores letter case
// (for every kind but sound-alike).
enum match_mode : std::int32_t {
  match_exact = 0,
  match_wildcard = 1,
  match_regex = 2,
  match_sound = 3,
  match_kind_mask = 0x0F,
  match_ignore_case = 0x10,
};

// The mode a MATCH call without its third argument uses.
constexpr std::int32_t default_match_mode = match_wildcard;

// Matches texts already clipped of trailing spaces; 1 for a match, else 0.
std::int32_t match_texts(const char* value, std::size_t value_length, const char* pattern,
                         std::size_t pattern_length, std::int32_t mode);

// Pops the value (top of the string stack) and the pattern below it, clips
// both and matches them.
std::int32_t match_from_stack(std::int32_t mode);

// The wildcard matcher alone: `*` any run of bytes, `?` exactly one byte.
bool wildcard_match(const char* value, std::size_t value_length, const char* pattern,
                    std::size_t pattern_length, bool ignore_case);

}  // namespace eval
