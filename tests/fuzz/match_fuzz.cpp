// Fuzzes MATCH: the first byte is the mode, the rest is split at its first
// NUL into value and pattern. Wildcard answers on short texts are checked
// against the plain recursive reading of the wildcard rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "evaluator/match.h"

namespace {

bool reference_full(const char* v, size_t vn, size_t vi, const char* p, size_t pn, size_t pi) {
  if (pi == pn) return vi == vn;
  if (p[pi] == '?') return vi < vn && reference_full(v, vn, vi + 1, p, pn, pi + 1);
  if (p[pi] != '*')
    return vi < vn && v[vi] == p[pi] && reference_full(v, vn, vi + 1, p, pn, pi + 1);
  if (pi + 1 == pn) return true;
  for (size_t start = vi; start < vn; ++start)
    if (reference_full(v, vn, start, p, pn, pi + 1)) return true;
  return false;
}

bool reference_wildcard(const char* v, size_t vn, const char* p, size_t pn) {
  if (pn > 0 && p[0] == '*') {
    if (pn == 1) return true;
    size_t vi = vn, pi = pn - 1;
    for (; pi > 0; --pi) {
      if (p[pi] == '*') break;
      if (vi == 0) return false;
      --vi;
      if (p[pi] != '?' && p[pi] != v[vi]) return false;
    }
    if (pi == 0) return true;
  }
  return reference_full(v, vn, 0, p, pn, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 8192) return 0;
  std::int32_t mode = data[0];
  const char* rest = reinterpret_cast<const char*>(data + 1);
  size_t rest_size = size - 1;
  const void* nul = std::memchr(rest, '\0', rest_size);
  size_t value_size = nul != nullptr ? static_cast<const char*>(nul) - rest : rest_size;
  const char* pattern = rest + value_size + (nul != nullptr ? 1 : 0);
  size_t pattern_size = rest_size - value_size - (nul != nullptr ? 1 : 0);
  std::int32_t answer = eval::match_texts(rest, value_size, pattern, pattern_size, mode);
  if (answer != 0 && answer != 1) std::abort();
  if ((mode & 0x1F) == eval::match_wildcard && value_size <= 12 && pattern_size <= 10) {
    bool expected = reference_wildcard(rest, value_size, pattern, pattern_size);
    if (answer != (expected ? 1 : 0)) std::abort();
  }
  return 0;
}
