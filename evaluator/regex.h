// Regular expressions of MATCH mode 2.
//
// The language: `^` and `$` anchor at the start and end of the value, `.` is
// any byte, `[...]` a class with ranges and `^` negation, `?` `+` `*` and
// `{m,n}` (also `{m}` and `{m,}`) repeat the atom before them, `|` separates
// alternatives of the whole pattern, and a backslash makes the next byte
// literal (`\d` `\w` `\s` and their upper-case negations are the usual
// classes). Parentheses are ordinary bytes. A match may start anywhere unless
// the pattern is anchored.
//
// A pattern compiles into a small program that is run as a set of threads in
// lock step over the value (no backtracking), so a run costs at most
// program size times value length steps whatever the pattern.
#pragma once

#include <cstddef>
#include <cstdint>

#include "evaluator/heap_vector.h"

namespace eval {

class regex_program {
 public:
  // Compiles `pattern`; false (and an empty program that matches nothing)
  // when the pattern is malformed or its program would be too large.
  bool compile(const char* pattern, std::size_t length, bool ignore_case);
  // True when the pattern matches somewhere in `value`.
  bool search(const char* value, std::size_t length) const;
  bool valid() const { return valid_; }
  std::size_t size() const { return code_.size(); }

  enum class op : std::uint8_t { byte_class, line_start, line_end, split, jump, accept };
  struct instruction {
    op code;
    std::uint32_t a;  // class index for byte_class; first branch or target otherwise
    std::uint32_t b;  // second branch of split
  };
  struct byte_set {
    std::uint32_t bits[8];
    bool has(unsigned char c) const { return (bits[c >> 5] >> (c & 31)) & 1u; }
    void add(unsigned char c) { bits[c >> 5] |= 1u << (c & 31); }
  };

 private:
  friend class regex_compiler;
  heap_vector<instruction> code_;
  heap_vector<byte_set> classes_;
  bool valid_ = false;
};

// The process-wide compiled pattern that MATCH keeps between calls: it is
// compiled again only when the pattern text or the case flag changes.
class regex_cache {
 public:
  // Answers whether `value` matches `pattern`; a malformed pattern matches nothing.
  bool match(const char* value, std::size_t value_length, const char* pattern,
             std::size_t pattern_length, bool ignore_case);
  void reset();
  std::size_t compilations() const { return compilations_; }

 private:
  heap_vector<char> pattern_;
  bool ignore_case_ = false;
  bool filled_ = false;
  regex_program program_;
  std::size_t compilations_ = 0;
};

regex_cache& the_regex_cache();

}  // namespace eval
