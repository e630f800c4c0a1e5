#include "runtime/string_ops.h"

#include <cstring>

#include "runtime/compare.h"
#include "runtime/decimal.h"
#include "runtime/locale.h"
#include "runtime/number_text.h"
#include "runtime/string_stack.h"
#include "services/heap.h"

namespace rt {

namespace {

// A plain view of an operand; an operand missing from the stack reads as
// the empty string.
struct Operand {
  const char* text;
  uint32_t length;
};

Operand operand(uint32_t k) {
  StringStack& stack = string_stack();
  if (k >= stack.depth()) return {nullptr, 0};
  stack.make_entry_plain(k);
  const StackEntry& e = stack.peek(k);
  return {e.text, e.length};
}

void discard(uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) string_stack().discard();
}

// The top entry made plain and stable, ready to change in place; null when
// the stack is empty.
StackEntry* writable_top() {
  StringStack& stack = string_stack();
  if (stack.empty()) return nullptr;
  stack.make_top_plain();
  stack.make_top_stable();
  return &stack.peek();
}

// Resolves an omitted length (any negative n) to the entry's length.
uint32_t length_or(int32_t n, uint32_t length) {
  return n < 0 ? length : static_cast<uint32_t>(n);
}

// Replaces the two top operands (left below, right on top) by left & right.
void concat_operands(Operand left, Operand right) {
  uint32_t total = left.length + right.length;
  if (total < left.length) total = 0;  // past 4 GB: treated as a failed allocation
  char* block = total == 0 ? nullptr : static_cast<char*>(svc::allocate(total));
  if (block != nullptr) {
    if (left.length > 0) std::memcpy(block, left.text, left.length);
    if (right.length > 0) std::memcpy(block + left.length, right.text, right.length);
  }
  discard(2);
  if (block != nullptr) {
    string_stack().push_owned(block, total);
  } else {
    string_stack().push_empty();
  }
}

template <class Convert>
void convert_top(Convert convert) {
  StackEntry* e = writable_top();
  if (e == nullptr) return;
  for (uint32_t i = 0; i < e->length; ++i) {
    e->text[i] = static_cast<char>(convert(static_cast<uint8_t>(e->text[i])));
  }
}

using Collate = int32_t (*)(const char*, uint32_t, const char*, uint32_t);

// Compares left (below) with right (top) and pops both.
int32_t compare_operands(Collate collate) {
  Operand left = operand(1);
  Operand right = operand(0);
  int32_t result = collate(left.text, left.length, right.text, right.length);
  discard(2);
  return result;
}

// The top made writable and at least `width` bytes long (extended with
// spaces when shorter); null when the stack is empty or the extension failed.
StackEntry* top_of_width(int32_t n, uint32_t* width) {
  StackEntry* e = writable_top();
  if (e == nullptr) return nullptr;
  *width = length_or(n, e->length);
  if (*width > e->length) set_length(*width);
  e = &string_stack().peek();
  return e->length < *width ? nullptr : e;
}

uint8_t upper_of(uint8_t c) {
  return locale().to_upper(c);
}
uint8_t lower_of(uint8_t c) {
  return locale().to_lower(c);
}

}  // namespace

void concat() {
  concat_operands(operand(1), operand(0));
}

void concat_reversed() {
  concat_operands(operand(0), operand(1));
}

int32_t compare() {
  return compare_operands(collate_texts);
}

int32_t compare_nocase() {
  return compare_operands(collate_texts_nocase);
}

void clip() {
  StringStack& stack = string_stack();
  if (stack.empty()) return;
  Operand s = operand(0);
  stack.narrow_top(const_cast<char*>(s.text), clipped_length(s.text, s.length));
}

uint32_t len() {
  uint32_t length = operand(0).length;
  discard(1);
  return length;
}

void set_length(uint32_t n) {
  StringStack& stack = string_stack();
  if (stack.empty()) return;
  Operand s = operand(0);
  if (n <= s.length) {
    stack.narrow_top(const_cast<char*>(s.text), n);
    return;
  }
  auto* block = static_cast<char*>(svc::allocate(n));
  if (block != nullptr) {
    if (s.length > 0) std::memcpy(block, s.text, s.length);
    std::memset(block + s.length, ' ', n - s.length);
  }
  stack.replace_top_owned(block, block != nullptr ? n : 0);
}

void left(int32_t n) {
  StackEntry* e = writable_top();
  if (e == nullptr) return;
  uint32_t original = e->length;
  uint32_t lead = 0;
  while (lead < e->length && e->text[lead] == ' ') ++lead;
  if (lead > 0 && e->kind == EntryKind::owned) {
    // An owned block keeps its start: the text moves down, spaces fill the end.
    std::memmove(e->text, e->text + lead, e->length - lead);
    std::memset(e->text + e->length - lead, ' ', lead);
  } else if (lead > 0) {
    string_stack().narrow_top(e->text + lead, e->length - lead);
  }
  set_length(length_or(n, original));
}

void right(int32_t n) {
  uint32_t width = 0;
  StackEntry* e = top_of_width(n, &width);
  if (e == nullptr) return;
  uint32_t c = clipped_length(e->text, e->length);
  if (c >= width) {
    std::memmove(e->text, e->text + (c - width), width);
  } else {
    std::memmove(e->text + (width - c), e->text, c);
    std::memset(e->text, ' ', width - c);
  }
  e->length = width;
}

void center(int32_t n) {
  uint32_t width = 0;
  StackEntry* e = top_of_width(n, &width);
  if (e == nullptr) return;
  uint32_t lead = 0;
  while (lead < e->length && e->text[lead] == ' ') ++lead;
  uint32_t c = lead == e->length ? 0 : clipped_length(e->text, e->length) - lead;
  if (c < width) {
    uint32_t before = (width - c + 1) / 2;
    std::memmove(e->text + before, e->text + lead, c);
    std::memset(e->text, ' ', before);
    std::memset(e->text + before + c, ' ', width - before - c);
  } else {
    uint32_t drop = (c - width + 1) / 2;
    std::memmove(e->text, e->text + lead + drop, width);
  }
  e->length = width;
}

void sub(int32_t start, int32_t length) {
  StringStack& stack = string_stack();
  if (stack.empty()) return;
  Operand s = operand(0);
  bool owned = stack.peek().kind == EntryKind::owned;
  if (start == 0 && owned) {
    stack.replace_top_owned(nullptr, 0);
    return;
  }
  int64_t offset = 0;
  if (start < 0) {
    offset = int64_t{s.length} + start;
    if (offset < 0) offset = 0;
  } else if (start > 0) {
    offset = start - 1;
    if (offset > s.length) offset = s.length;
  }
  auto off = static_cast<uint32_t>(offset);
  uint32_t count = static_cast<uint32_t>(length);  // negative means "to the end"
  if (count > s.length - off) count = s.length - off;
  if (!owned) {
    stack.narrow_top(const_cast<char*>(s.text) + off, count);
  } else if (start == 1) {
    stack.narrow_top(const_cast<char*>(s.text), count);
  } else {
    // An owned block must keep its start, so the piece is copied.
    auto* block = count == 0 ? nullptr : static_cast<char*>(svc::allocate(count));
    if (block != nullptr) std::memcpy(block, s.text + off, count);
    stack.replace_top_owned(block, block != nullptr ? count : 0);
  }
}

void all(uint32_t n) {
  StringStack& stack = string_stack();
  if (stack.empty()) return;
  Operand s = operand(0);
  auto* block = n == 0 ? nullptr : static_cast<char*>(svc::allocate(n));
  if (block != nullptr) {
    if (s.length == 0) {
      std::memset(block, ' ', n);  // nothing to repeat: a blank string
    } else if (s.length == 1) {
      std::memset(block, s.text[0], n);
    } else {
      for (uint32_t i = 0; i < n; i += s.length) {
        std::memcpy(block + i, s.text, n - i < s.length ? n - i : s.length);
      }
    }
  }
  stack.replace_top_owned(block, block != nullptr ? n : 0);
}

void upper() {
  convert_top(upper_of);
}
void lower() {
  convert_top(lower_of);
}

void upper_cstring(char* text) {
  for (; text != nullptr && *text != '\0'; ++text) *text = static_cast<char>(upper_of(*text));
}

void lower_cstring(char* text) {
  for (; text != nullptr && *text != '\0'; ++text) *text = static_cast<char>(lower_of(*text));
}

void upper_counted(char* text, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i) text[i] = static_cast<char>(upper_of(text[i]));
}

void lower_counted(char* text, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i) text[i] = static_cast<char>(lower_of(text[i]));
}

int32_t instring(uint32_t step, int32_t start) {
  Operand sub_text = operand(1);
  Operand text = operand(0);
  int32_t result =
      instring_text(sub_text.text, sub_text.length, text.text, text.length, step, start);
  discard(2);
  return result;
}

int32_t inlist(uint32_t item_count) {
  StringStack& stack = string_stack();
  uint32_t present = stack.depth();
  if (item_count >= present) item_count = present == 0 ? 0 : present - 1;
  Operand value = operand(item_count);
  int32_t found = 0;
  for (uint32_t i = 1; i <= item_count && found == 0; ++i) {
    Operand item = operand(item_count - i);
    if (collate_texts(value.text, value.length, item.text, item.length) == 0) {
      found = static_cast<int32_t>(i);
    }
  }
  discard(item_count + 1);
  return found;
}

int32_t numeric() {
  Operand s = operand(0);
  uint32_t n = clipped_length(s.text, s.length);
  if (n > kRealTextLimit) n = kRealTextLimit;
  // Read as a C string: a NUL ends the text.
  if (n > 0) {
    const void* nul = std::memchr(s.text, '\0', n);
    if (nul != nullptr) n = static_cast<uint32_t>(static_cast<const char*>(nul) - s.text);
  }
  int32_t result = n > 0 && real_text_extent(s.text, n) == n ? 1 : 0;
  discard(1);
  return result;
}

bool truth() {
  Operand s = operand(0);
  bool result = clipped_length(s.text, s.length) != 0;
  discard(1);
  return result;
}

double pop_real() {
  Operand s = operand(0);
  double value = text_to_real(s.text, s.length);
  discard(1);
  return value;
}

void pop_to_decimal() {
  Operand s = operand(0);
  decimal_accumulator().push_text(s.text, s.length);
  discard(1);
}

int32_t pop_integer() {
  pop_to_decimal();
  return decimal_accumulator().pop_integer();
}

}  // namespace rt
