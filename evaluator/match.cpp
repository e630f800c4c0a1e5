#include "evaluator/match.h"

#include <cstring>
#include <new>

#include "evaluator/heap_vector.h"
#include "evaluator/letter_case.h"
#include "evaluator/regex.h"
#include "evaluator/soundex.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"

namespace eval {
namespace {

bool same_byte(char a, char b, bool ignore_case) {
  if (a == b) return true;
  return ignore_case &&
         upper_byte(static_cast<unsigned char>(a)) == upper_byte(static_cast<unsigned char>(b));
}

bool exact_match(const char* value, std::size_t value_length, const char* pattern,
                 std::size_t pattern_length, bool ignore_case) {
  if (value_length != pattern_length) return false;
  for (std::size_t i = 0; i < value_length; ++i)
    if (!same_byte(value[i], pattern[i], ignore_case)) return false;
  return true;
}

// Operands are matched without their trailing spaces (0x20 only).
std::size_t clipped(const rt::StackEntry& entry) {
  return rt::clipped_length(entry.text, std::size_t{entry.length});
}

enum class shortcut { no, yes, undecided };

// For a pattern that begins with `*`: compares the pattern from its end with
// the end of the value until the leading `*` decides yes or another `*`
// leaves the answer to the full match.
shortcut leading_star_shortcut(const char* value, std::size_t value_length, const char* pattern,
                               std::size_t pattern_length, bool ignore_case) {
  if (pattern_length == 1) return shortcut::yes;
  std::size_t v = value_length;
  for (std::size_t p = pattern_length - 1; p > 0; --p) {
    if (pattern[p] == '*') return shortcut::undecided;
    if (v == 0) return shortcut::no;
    --v;
    if (pattern[p] != '?' && !same_byte(pattern[p], value[v], ignore_case)) return shortcut::no;
  }
  return shortcut::yes;
}

// A `*` that is not the last pattern byte tries the rest of the pattern only
// at value positions before the end, never on the empty remainder. That makes
// a run of stars behave as one star, except a run of two or more that ends
// the pattern, which still needs one byte: it reads as `?*`. With that
// rewrite the usual one-star-backtrack walk decides the match in
// pattern-length times value-length steps.
heap_vector<char> normalised_wildcards(const char* pattern, std::size_t length) {
  heap_vector<char> out;
  out.reserve(length + 1);
  std::size_t i = 0;
  while (i < length) {
    if (pattern[i] != '*') {
      out.push_back(pattern[i++]);
      continue;
    }
    std::size_t run = 0;
    while (i < length && pattern[i] == '*') ++i, ++run;
    if (i == length && run >= 2) out.push_back('?');
    out.push_back('*');
  }
  return out;
}

bool full_wildcard_match(const char* value, std::size_t value_length,
                         const heap_vector<char>& pattern, bool ignore_case) {
  std::size_t p = 0, v = 0;
  std::size_t star = pattern.size(), resume = 0;  // last `*` met and where its run would end
  while (v < value_length) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = v;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || same_byte(pattern[p], value[v], ignore_case))) {
      ++p, ++v;
    } else if (star != pattern.size()) {
      p = star + 1;
      v = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool wildcard_match(const char* value, std::size_t value_length, const char* pattern,
                    std::size_t pattern_length, bool ignore_case) {
  if (pattern_length > 0 && pattern[0] == '*') {
    shortcut answer =
        leading_star_shortcut(value, value_length, pattern, pattern_length, ignore_case);
    if (answer != shortcut::undecided) return answer == shortcut::yes;
  }
  return full_wildcard_match(value, value_length, normalised_wildcards(pattern, pattern_length),
                             ignore_case);
}

std::int32_t match_texts(const char* value, std::size_t value_length, const char* pattern,
                         std::size_t pattern_length, std::int32_t mode) try {
  bool ignore_case = (mode & match_ignore_case) != 0;
  bool matched = false;
  switch (mode & match_kind_mask) {
    case match_exact:
      matched = exact_match(value, value_length, pattern, pattern_length, ignore_case);
      break;
    case match_wildcard:
      matched = wildcard_match(value, value_length, pattern, pattern_length, ignore_case);
      break;
    case match_regex:
      matched = the_regex_cache().match(value, value_length, pattern, pattern_length, ignore_case);
      break;
    case match_sound:
      matched = sound_code_of(value, value_length) == sound_code_of(pattern, pattern_length);
      break;
    default:
      break;
  }
  return matched ? 1 : 0;
} catch (const std::bad_alloc&) {
  return 0;  // no memory for the matcher's work: no match, never a failure
}

std::int32_t match_from_stack(std::int32_t mode) {
  rt::StringStack& stack = rt::string_stack();
  if (stack.depth() < 2) {  // only the value arrived
    if (!stack.empty()) stack.discard();
    return 0;
  }
  stack.make_top_plain();
  stack.rotate(1);
  stack.make_top_plain();  // the pattern, now on top
  const rt::StackEntry& pattern = stack.peek(0);
  const rt::StackEntry& value = stack.peek(1);
  std::int32_t result =
      match_texts(value.text, clipped(value), pattern.text, clipped(pattern), mode);
  stack.discard();
  stack.discard();
  return result;
}

}  // namespace eval
