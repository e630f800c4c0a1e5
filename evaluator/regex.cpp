#include "evaluator/regex.h"

#include <cstring>
#include <new>

#include "evaluator/letter_case.h"

namespace eval {
namespace {

// Bounds of the compiled form: repetition counts as in the usual limit of 255,
// and a program size that keeps a run cheap however the repeats multiply.
constexpr unsigned max_repeat = 255;
constexpr unsigned unbounded = max_repeat + 1;
constexpr std::size_t max_program = 16384;

using instruction = regex_program::instruction;
using byte_set = regex_program::byte_set;
using op = regex_program::op;

byte_set all_bytes() {
  byte_set s;
  std::memset(s.bits, 0xFF, sizeof s.bits);
  return s;
}

byte_set complement(const byte_set& s) {
  byte_set r;
  for (int i = 0; i < 8; ++i) r.bits[i] = ~s.bits[i];
  return r;
}

void add_range(byte_set& s, unsigned first, unsigned last) {
  for (unsigned c = first; c <= last; ++c) s.add(static_cast<unsigned char>(c));
}

// Widens a set so that a byte belongs when its upper-case form equals the
// upper-case form of a member: the case-insensitive reading of the set.
byte_set fold_case(const byte_set& s) {
  byte_set uppers{};
  for (unsigned c = 0; c < 256; ++c)
    if (s.has(static_cast<unsigned char>(c))) uppers.add(upper_byte(static_cast<unsigned char>(c)));
  byte_set r{};
  for (unsigned c = 0; c < 256; ++c)
    if (uppers.has(upper_byte(static_cast<unsigned char>(c)))) r.add(static_cast<unsigned char>(c));
  return r;
}

// The classes named by \d, \w and \s, and by their upper-case letters the
// complements; false for any other letter.
bool named_class(char letter, byte_set& out) {
  out = byte_set{};
  switch (letter) {
    case 'd':
    case 'D':
      add_range(out, '0', '9');
      break;
    case 'w':
    case 'W':
      for (unsigned c = 0; c < 256; ++c) {
        auto b = static_cast<unsigned char>(c);
        if (is_letter(b) || is_digit(b) || b == '_') out.add(b);
      }
      break;
    case 's':
    case 'S':
      add_range(out, '\t', '\r');
      out.add(' ');
      break;
    default:
      return false;
  }
  if (letter >= 'A' && letter <= 'Z') out = complement(out);
  return true;
}

}  // namespace

// One compilation: a recursive descent over the pattern text that emits the
// program as it goes. The grammar has no nesting, so the descent is shallow.
class regex_compiler {
 public:
  regex_compiler(regex_program& program, const char* text, std::size_t length, bool ignore_case)
      : p_(program), text_(text), end_(text + length), ignore_case_(ignore_case) {}

  // pattern -> branch {'|' branch}
  bool pattern() {
    heap_vector<std::uint32_t> exits;
    for (;;) {
      std::uint32_t fork = emit({op::split, 0, 0});
      p_.code_[fork].a = fork + 1;
      if (!branch()) return false;
      if (at_end()) {
        p_.code_[fork].b = fork + 1;  // the last alternative needs no fork
        break;
      }
      ++text_;  // the '|'
      exits.push_back(emit({op::jump, 0, 0}));
      p_.code_[fork].b = here();
    }
    for (std::uint32_t exit : exits) p_.code_[exit].a = here();
    emit({op::accept, 0, 0});
    return p_.code_.size() <= max_program;
  }

 private:
  // branch -> {piece}
  bool branch() {
    while (!at_end() && *text_ != '|')
      if (!piece()) return false;
    return true;
  }

  // piece -> atom [quantifier]
  bool piece() {
    instruction atom_code{};
    if (!atom(atom_code)) return false;
    if (at_end() || !is_quantifier(*text_)) {
      emit(atom_code);
      return true;
    }
    if (atom_code.code != op::byte_class) return false;  // an anchor cannot repeat
    unsigned low = 0, high = 0;
    if (!quantifier(low, high)) return false;
    if (!at_end() && is_quantifier(*text_)) return false;  // stacked repeats are ambiguous
    return repeat(atom_code, low, high);
  }

  static bool is_quantifier(char c) { return c == '?' || c == '*' || c == '+' || c == '{'; }

  // quantifier -> '?' | '*' | '+' | '{' m [',' [n]] '}'
  bool quantifier(unsigned& low, unsigned& high) {
    char c = *text_++;
    if (c == '?') return low = 0, high = 1, true;
    if (c == '*') return low = 0, high = unbounded, true;
    if (c == '+') return low = 1, high = unbounded, true;
    if (!number(low)) return false;
    high = low;
    if (!at_end() && *text_ == ',') {
      ++text_;
      high = unbounded;
      if (!at_end() && *text_ != '}' && !number(high)) return false;
    }
    if (at_end() || *text_ != '}' || low > high) return false;
    ++text_;
    return true;
  }

  bool number(unsigned& value) {
    const char* start = text_;
    value = 0;
    while (!at_end() && *text_ >= '0' && *text_ <= '9' && value <= max_repeat)
      value = value * 10 + static_cast<unsigned>(*text_++ - '0');
    return text_ != start && value <= max_repeat;
  }

  // Emits `low` copies of the atom, then either a loop or (high - low)
  // optional copies that each may skip to the end.
  bool repeat(const instruction& atom_code, unsigned low, unsigned high) {
    if (p_.code_.size() + static_cast<std::size_t>(low) + 3u * (high - low) > max_program)
      return false;
    for (unsigned i = 0; i < low; ++i) emit(atom_code);
    if (high == unbounded) {
      std::uint32_t loop = emit({op::split, 0, 0});
      emit(atom_code);
      emit({op::jump, loop, 0});
      p_.code_[loop] = {op::split, loop + 1, here()};
      return true;
    }
    heap_vector<std::uint32_t> skips;
    for (unsigned i = low; i < high; ++i) {
      skips.push_back(emit({op::split, 0, 0}));
      emit(atom_code);
    }
    for (std::uint32_t skip : skips) p_.code_[skip] = {op::split, skip + 1, here()};
    return true;
  }

  // atom -> '^' | '$' | '.' | '[' class ']' | '\' byte | byte
  bool atom(instruction& out) {
    char c = *text_++;
    if (c == '^') return out = {op::line_start, 0, 0}, true;
    if (c == '$') return out = {op::line_end, 0, 0}, true;
    if (is_quantifier(c)) return false;  // nothing to repeat
    byte_set set{};
    if (c == '.') {
      set = all_bytes();
    } else if (c == '[') {
      if (!bracket(set)) return false;
    } else if (c == '\\') {
      if (!escape(set)) return false;
    } else {
      set.add(static_cast<unsigned char>(c));
    }
    out = {op::byte_class, add_class(set), 0};
    return true;
  }

  // After a backslash: a named class or the next byte taken literally.
  bool escape(byte_set& set) {
    int byte = 0;
    return escaped_item(set, byte);
  }

  // class -> ['^'] [']'] {item ['-' item]}; the set is folded for case
  // before it is negated, so [^a] under the case flag excludes both a and A.
  bool bracket(byte_set& set) {
    bool negate = !at_end() && *text_ == '^';
    if (negate) ++text_;
    bool first = true;
    while (!at_end() && (*text_ != ']' || first)) {
      first = false;
      byte_set item{};
      int low = 0;
      if (!bracket_item(item, low)) return false;
      if (low >= 0 && text_ + 1 < end_ && *text_ == '-' && text_[1] != ']') {
        ++text_;
        int high = 0;
        if (!bracket_item(item, high) || high < low) return false;  // a class is no bound
        add_range(item, static_cast<unsigned>(low), static_cast<unsigned>(high));
      }
      for (int i = 0; i < 8; ++i) set.bits[i] |= item.bits[i];
    }
    if (at_end()) return false;  // no closing ']'
    ++text_;
    if (ignore_case_) set = fold_case(set);
    if (negate) set = complement(set);
    return true;
  }

  // One member of a class: a byte, escaped or not (`byte` gets its value), or
  // an escaped named class (`byte` gets -1).
  bool bracket_item(byte_set& item, int& byte) {
    if (*text_ == '\\') {
      ++text_;
      return escaped_item(item, byte);
    }
    byte = static_cast<unsigned char>(*text_++);
    item = byte_set{};
    item.add(static_cast<unsigned char>(byte));
    return true;
  }

  bool escaped_item(byte_set& item, int& byte) {
    if (at_end()) return false;  // a pattern cannot end in a lone backslash
    char c = *text_++;
    if (named_class(c, item)) return byte = -1, true;
    byte = static_cast<unsigned char>(c);
    item = byte_set{};
    item.add(static_cast<unsigned char>(c));
    return true;
  }

  std::uint32_t add_class(const byte_set& set) {
    // Folding is idempotent, so a class already folded before its negation
    // keeps its meaning.
    p_.classes_.push_back(ignore_case_ ? fold_case(set) : set);
    return static_cast<std::uint32_t>(p_.classes_.size() - 1);
  }

  std::uint32_t emit(const instruction& i) {
    p_.code_.push_back(i);
    return static_cast<std::uint32_t>(p_.code_.size() - 1);
  }
  std::uint32_t here() const { return static_cast<std::uint32_t>(p_.code_.size()); }
  bool at_end() const { return text_ >= end_; }

  regex_program& p_;
  const char* text_;
  const char* end_;
  bool ignore_case_;
};

bool regex_program::compile(const char* pattern, std::size_t length, bool ignore_case) {
  code_.clear();
  classes_.clear();
  regex_compiler compiler(*this, pattern, length, ignore_case);
  valid_ = compiler.pattern();
  if (!valid_) {
    code_.clear();
    classes_.clear();
  }
  return valid_;
}

namespace {

// The threads alive at one position of the value: program counters without
// repeats, in the order they were added.
struct thread_list {
  heap_vector<std::uint32_t> pcs;
  heap_vector<std::uint32_t> seen;  // generation at which each pc was last added
  std::uint32_t generation = 0;
};

// Adds `start` and everything reachable from it without reading a byte.
// Answers true when that reaches the accepting instruction.
bool add_thread(const heap_vector<instruction>& code, thread_list& list,
                heap_vector<std::uint32_t>& stack, std::uint32_t start, bool at_start,
                bool at_end) {
  stack.clear();
  stack.push_back(start);
  while (!stack.empty()) {
    std::uint32_t pc = stack.back();
    stack.pop_back();
    if (list.seen[pc] == list.generation) continue;
    list.seen[pc] = list.generation;
    const instruction& in = code[pc];
    switch (in.code) {
      case op::accept:
        return true;
      case op::byte_class:
        list.pcs.push_back(pc);
        break;
      case op::jump:
        stack.push_back(in.a);
        break;
      case op::split:
        stack.push_back(in.b);
        stack.push_back(in.a);
        break;
      case op::line_start:
        if (at_start) stack.push_back(pc + 1);
        break;
      case op::line_end:
        if (at_end) stack.push_back(pc + 1);
        break;
    }
  }
  return false;
}

}  // namespace

bool regex_program::search(const char* value, std::size_t length) const {
  if (!valid_) return false;
  thread_list lists[2];
  for (auto& list : lists) list.seen.assign(code_.size(), 0);
  heap_vector<std::uint32_t> stack;
  thread_list* now = &lists[0];
  thread_list* next = &lists[1];
  now->generation = 1;
  for (std::size_t pos = 0;; ++pos) {
    // A new attempt starts at every position: the match is not anchored.
    if (add_thread(code_, *now, stack, 0, pos == 0, pos == length)) return true;
    if (pos == length) return false;
    auto c = static_cast<unsigned char>(value[pos]);
    next->pcs.clear();
    next->generation = now->generation + 1;
    for (std::uint32_t pc : now->pcs) {
      if (!classes_[code_[pc].a].has(c)) continue;
      if (add_thread(code_, *next, stack, pc + 1, false, pos + 1 == length)) return true;
    }
    std::swap(now, next);
  }
}

bool regex_cache::match(const char* value, std::size_t value_length, const char* pattern,
                        std::size_t pattern_length, bool ignore_case) try {
  bool same = filled_ && ignore_case == ignore_case_ && pattern_.size() == pattern_length &&
              std::memcmp(pattern_.data(), pattern, pattern_length) == 0;
  if (!same) {
    pattern_.assign(pattern, pattern + pattern_length);
    ignore_case_ = ignore_case;
    filled_ = true;
    program_.compile(pattern, pattern_length, ignore_case);
    ++compilations_;
  }
  return program_.search(value, value_length);
} catch (const std::bad_alloc&) {
  reset();  // a half-made compilation must not be taken for the pattern's
  return false;
}

void regex_cache::reset() {
  pattern_ = heap_vector<char>{};  // clear() would keep the block
  filled_ = false;
  program_ = regex_program{};
  compilations_ = 0;
}

regex_cache& the_regex_cache() {
  static regex_cache cache;
  return cache;
}

}  // namespace eval
