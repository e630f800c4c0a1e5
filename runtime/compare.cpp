#include "runtime/compare.h"

#include "runtime/locale.h"

namespace rt {

namespace {

// The characters a byte stands for in comparison: itself, or the two of its
// digraph.
struct Expansion {
  uint8_t chars[2];
  uint32_t count;
};

Expansion expand(const Locale& loc, uint8_t c) {
  if (const Digraph* d = loc.digraph_of(c)) {
    return {{static_cast<uint8_t>(d->first), static_cast<uint8_t>(d->second)}, 2};
  }
  return {{c, 0}, 1};
}

// Decides between two differing bytes; 0 means the walk goes on.
int32_t collate_bytes(const Locale& loc, uint8_t a, uint8_t b) {
  if (!loc.digraphs_in_use()) return loc.collate(a, b);
  Expansion ea = expand(loc, a);
  Expansion eb = expand(loc, b);
  // Only the characters both expansions have are weighed; when they agree
  // the walk goes on with the next position.
  uint32_t n = ea.count < eb.count ? ea.count : eb.count;
  for (uint32_t i = 0; i < n; ++i) {
    int32_t d = loc.collate(ea.chars[i], eb.chars[i]);
    if (d != 0) return d;
  }
  return 0;
}

template <class Fold>
int32_t collate_walk(const char* left, uint32_t left_length, const char* right,
                     uint32_t right_length, Fold fold) {
  const Locale& loc = locale();
  uint32_t common = left_length < right_length ? left_length : right_length;
  uint32_t n = left_length > right_length ? left_length : right_length;
  for (uint32_t i = 0; i < n; ++i) {
    // Past the shorter text, its bytes are a space and the longer text's
    // bytes are taken as they are.
    uint8_t a = i < left_length ? static_cast<uint8_t>(left[i]) : uint8_t{' '};
    uint8_t b = i < right_length ? static_cast<uint8_t>(right[i]) : uint8_t{' '};
    if (i < common) {
      a = fold(a);
      b = fold(b);
    }
    if (a == b) continue;
    int32_t d = collate_bytes(loc, a, b);
    if (d != 0) return d;
  }
  return 0;
}

}  // namespace

int32_t collate_texts(const char* left, uint32_t left_length, const char* right,
                      uint32_t right_length) {
  return collate_walk(left, left_length, right, right_length, [](uint8_t c) { return c; });
}

int32_t collate_texts_nocase(const char* left, uint32_t left_length, const char* right,
                             uint32_t right_length) {
  const Locale& loc = locale();
  return collate_walk(left, left_length, right, right_length,
                      [&loc](uint8_t c) { return loc.to_upper(c); });
}

}  // namespace rt
