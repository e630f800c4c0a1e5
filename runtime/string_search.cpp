// INSTRING's three searches over texts in memory.
#include <cstring>

#include "runtime/string_ops.h"

namespace rt {

namespace {

constexpr uint32_t kSkipTableLimit = 255;
// The skip-table search pays off only for long texts and substrings.
constexpr uint32_t kSkipSearchMinText = 256;
constexpr uint32_t kSkipSearchMinSub = 4;

// First occurrence of one byte at or after `offset`.
int32_t find_byte(char c, const char* text, uint32_t length, uint32_t offset) {
  if (offset >= length) return 0;
  const void* hit = std::memchr(text + offset, c, length - offset);
  if (hit == nullptr) return 0;
  return static_cast<int32_t>(static_cast<const char*>(hit) - text) + 1;
}

// Skip-table search: each byte's entry is the distance of its last
// occurrence from the substring's end (at most 255). A zero entry under the
// scan compares the rest of the substring; any other advances by the entry.
int32_t find_skipping(const char* sub, uint32_t sub_length, const char* text, uint32_t length,
                      uint32_t offset) {
  if (uint64_t{offset} + sub_length > length) return 0;
  uint32_t m = sub_length < kSkipTableLimit ? sub_length : kSkipTableLimit;
  uint8_t skip[256];
  std::memset(skip, static_cast<int>(m), sizeof skip);
  for (uint32_t i = 0; i < m; ++i) {
    auto c = static_cast<uint8_t>(sub[sub_length - 1 - i]);
    if (i < skip[c]) skip[c] = static_cast<uint8_t>(i);
  }
  const char* last = text + length;
  for (const char* p = text + offset + sub_length - 1; p < last;) {
    uint8_t d = skip[static_cast<uint8_t>(*p)];
    if (d != 0) {
      if (static_cast<uint32_t>(last - p) <= d) break;
      p += d;
      continue;
    }
    const char* begin = p - (sub_length - 1);
    if (std::memcmp(begin, sub, sub_length - 1) == 0) {
      return static_cast<int32_t>(begin - text) + 1;
    }
    ++p;
  }
  return 0;
}

// Candidates every `step` bytes from `offset`; the result is the number of
// the step-sized slot in which the match begins.
int32_t find_stepping(const char* sub, uint32_t sub_length, const char* text, uint32_t length,
                      uint32_t offset, uint32_t step) {
  uint64_t last = length - sub_length;
  for (uint64_t at = offset; at <= last; at += step) {
    if (text[at] == sub[0] && std::memcmp(text + at, sub, sub_length) == 0) {
      return static_cast<int32_t>(at / step + 1);
    }
  }
  return 0;
}

}  // namespace

int32_t instring_text(const char* sub, uint32_t sub_length, const char* text, uint32_t text_length,
                      uint32_t step, int32_t start) {
  if (sub_length == 0 || start < 1 || sub_length > text_length) return 0;
  if (step == 0) step = sub_length;
  auto offset = static_cast<uint32_t>(start - 1);
  if (step == 1 && sub_length == 1) return find_byte(sub[0], text, text_length, offset);
  if (step == 1 && sub_length > kSkipSearchMinSub && text_length > kSkipSearchMinText) {
    return find_skipping(sub, sub_length, text, text_length, offset);
  }
  return find_stepping(sub, sub_length, text, text_length, offset, step);
}

}  // namespace rt
