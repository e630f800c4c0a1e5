// Collating comparison of two texts by the locale's weight table, with
// digraph expansion, and its case-insensitive form. A shorter text is
// compared as if padded with spaces, so trailing spaces never decide.
#pragma once

#include <cstdint>

namespace rt {

// Negative, 0 or positive: at the first position whose collation weights
// differ, weight(left) - weight(right).
int32_t collate_texts(const char* left, uint32_t left_length, const char* right,
                      uint32_t right_length);

// The same, each lower-case letter first replaced by its upper-case partner.
int32_t collate_texts_nocase(const char* left, uint32_t left_length, const char* right,
                             uint32_t right_length);

}  // namespace rt
