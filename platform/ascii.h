// Inside the platform layer only: ASCII case folding for names the layer
// itself compares (profile sections and keys, wild cards, device names).
#pragma once

#include <algorithm>
#include <string_view>

namespace plat::detail {

inline char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline bool same_ascii_text(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return ascii_lower(x) == ascii_lower(y);
         });
}

}  // namespace plat::detail
