// The string stack: every string expression of the application runs on this
// one process-wide stack of 32 temporary values. Operands are pushed, the
// primitives (runtime/string_ops.h) replace the top entries by their result,
// and the value is popped into a variable or consumed by a test.
//
// Pushes onto a full stack are ignored; pops of an empty stack give the empty
// string. A failed allocation gives an empty string, never an error.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ole.h"
#include "runtime/string_value.h"

namespace rt {

// How an entry holds its text. Kinds with bit 4, 8 or 16 set are foreign:
// every primitive first turns them into a plain entry (see make_top_plain).
enum class EntryKind : uint32_t {
  borrowed = 0,          // someone else's storage; nothing freed
  owned = 1,             // a runtime heap block owned by the entry
  inline_text = 2,       // the entry's own inline area
  borrowed_wide = 4,     // someone else's BSTR
  owned_wide = 5,        // a BSTR released with SysFreeString
  borrowed_variant = 8,  // someone else's VARIANT
  owned_variant = 10,    // a VARIANT copy in the inline area, cleared with VariantClear
  counted = 16,          // a counted string: 16-bit length in the 6-byte header before text
};

constexpr uint32_t kForeignKindBits = 4 | 8 | 16;
constexpr uint32_t kInlineCapacity = 20;
constexpr uint32_t kStackCapacity = 32;
// Bytes of a counted string's header before its text: a 32-bit link, then
// the 16-bit length.
constexpr uint32_t kCountedHeaderSize = 6;

// One stack entry. Layout, field by field (40 bytes):
//   0  kind      EntryKind
//   4  length    bytes of text (characters for a wide string); no terminator
//   8  text      first byte of the text; null when length is 0. For wide kinds
//                the BSTR, for a borrowed variant the VARIANT
//  16  inline    20 bytes: short texts, or the owned VARIANT itself
struct StackEntry {
  EntryKind kind;
  uint32_t length;
  char* text;
  alignas(8) unsigned char inline_area[kInlineCapacity];
};
static_assert(offsetof(StackEntry, kind) == 0);
static_assert(offsetof(StackEntry, length) == 4);
static_assert(offsetof(StackEntry, text) == 8);
static_assert(offsetof(StackEntry, inline_area) == 16);
static_assert(sizeof(StackEntry) == 40);
static_assert(sizeof(plat::VARIANT) <= kInlineCapacity);

// A copy of the stack taken by save(); opaque to callers, freed by restore().
struct SavedStack;

class StringStack {
 public:
  // --- pushes (a full stack ignores them) ---
  // A null pointer is pushed with length 0.
  void push_borrowed(const char* text, uint32_t length);
  // Takes ownership of a runtime heap block (a full stack frees it at once).
  void push_owned(char* block, uint32_t length);
  void push_empty();
  // Length found by scanning to the NUL (null gives 0), then made stable so
  // that later changes to the buffer do not show through.
  void push_cstring(const char* text);
  // Decimal digits, '-' for negatives, no padding.
  void push_integer(int32_t value);
  // The real-to-text form (runtime/number_text.h).
  void push_real(double value);
  // true is "1", false the empty string.
  void push_boolean(bool value);
  // Takes ownership of a BSTR (kind owned_wide).
  void push_wide(plat::BSTR text);
  void push_borrowed_wide(plat::BSTR text);
  void push_borrowed_variant(const plat::VARIANT* value);
  // Takes ownership of what the variant holds; `value` is left VT_EMPTY.
  void push_owned_variant(plat::VARIANT* value);
  // `text` points just past a counted string's 6-byte header; null is a
  // null counted reference (empty, false as a condition).
  void push_counted(const char* text);

  // --- pops and consumers ---
  void pop_into_string(char* dest, uint32_t size);
  void pop_into_cstring(char* dest, uint32_t size);
  void pop_into_pstring(unsigned char* dest, uint32_t size);
  // An owned entry hands its block over; any other is copied into a new heap
  // block. A failed allocation or an empty value gives (null, 0).
  HeapString pop_into_heap();
  // Removes the top entry, releasing what it owns.
  void discard();
  // The entry k places below the top (1 = just below) moves to the top.
  void rotate(uint32_t k);
  // Copies depth and entries into a new heap block (null when empty); the
  // stack is unchanged. Ownership stays with the stack entries: restore()
  // must put them back before they are popped again.
  SavedStack* save() const;
  // Puts a saved stack back and frees the block; null empties the stack
  // (without releasing anything, as the entries were saved elsewhere or
  // already consumed).
  void restore(SavedStack* saved);

  // --- inspection and helpers for the primitives ---
  uint32_t depth() const { return depth_; }
  bool empty() const { return depth_ == 0; }
  bool full() const { return depth_ == kStackCapacity; }
  // The entry k places below the top (0 = top). Precondition: k < depth().
  StackEntry& peek(uint32_t k = 0) { return entries_[depth_ - 1 - k]; }
  const StackEntry& peek(uint32_t k = 0) const { return entries_[depth_ - 1 - k]; }
  // Turns a foreign top entry into a plain one: a wide string or variant
  // becomes an owned ANSI heap copy, a counted reference a borrowed entry.
  void make_top_plain() { make_entry_plain(0); }
  // The same for the entry k places below the top (0 = top).
  void make_entry_plain(uint32_t k);
  // Makes the top entry safe to change in place: a borrowed text becomes
  // inline (at most 20 bytes) or owned; borrowed wide/variant become owned.
  void make_top_stable();
  // Releases what the top entry owns and makes it an owned entry over
  // `block` (a runtime heap block the caller filled). A null block gives an
  // empty top. Precondition: not empty.
  void replace_top_owned(char* block, uint32_t length);
  // Sets the top entry to a plain view of `length` bytes at `text`, keeping
  // its kind and ownership: used by primitives that only move the start or
  // the end within the entry's own text (CLIP, SUB, LEFT).
  void narrow_top(char* text, uint32_t length);

  // Empties the stack, releasing owned entries. Used between tests.
  void reset();

 private:
  StackEntry* push_slot();
  void release(StackEntry& e);
  void replace_owned(StackEntry& e, char* block, uint32_t length);

  StackEntry entries_[kStackCapacity] = {};
  uint32_t depth_ = 0;
};

// The process-wide string stack.
StringStack& string_stack();

}  // namespace rt
