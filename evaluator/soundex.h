// Sound-alike codes of MATCH mode 3: a letter and three digits, so that names
// spelt differently but said alike get the same code.
#pragma once

#include <array>
#include <cstddef>

namespace eval {

// Four characters: the first letter upper-cased and three digits "0" to "6",
// or "!000" when the text holds no letter.
using sound_code = std::array<char, 4>;

sound_code sound_code_of(const char* text, std::size_t length);

}  // namespace eval
