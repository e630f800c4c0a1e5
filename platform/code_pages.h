// Inside the platform layer only: the code-page tables behind text.h.
#pragma once

#include <cstdint>

namespace plat::detail {

extern const uint8_t ansi_to_oem[256];
extern const uint8_t oem_to_ansi[256];

// How one ANSI byte weighs in the linguistic comparison: letters are told
// apart first by `primary`, then by `accent`, then by `letter_case` (0 lower);
// a byte with primary 0 is ignorable and counts only by `ignorable` when all
// else is equal.
struct sort_weight {
  uint8_t primary;
  uint8_t accent;
  uint8_t letter_case;
  uint8_t ignorable;
};
static_assert(sizeof(sort_weight) == 4);

extern const sort_weight ansi_sort_weights[256];

// The Unicode code point of an ANSI byte.
char32_t ansi_code_point(uint8_t c);

}  // namespace plat::detail
