#include "runtime/string_stack.h"

#include <cstring>

#include "runtime/number_text.h"
#include "services/heap.h"

namespace rt {

// A saved stack: this header, then `depth` entries.
struct SavedStack {
  alignas(StackEntry) uint32_t depth;
};
static_assert(sizeof(SavedStack) % alignof(StackEntry) == 0);

namespace {

StackEntry* saved_entries(SavedStack* saved) {
  return reinterpret_cast<StackEntry*>(reinterpret_cast<unsigned char*>(saved) +
                                       sizeof(SavedStack));
}

bool is_foreign(EntryKind kind) {
  return (static_cast<uint32_t>(kind) & kForeignKindBits) != 0;
}

void set_plain(StackEntry& e, EntryKind kind, char* text, uint32_t length) {
  e.kind = kind;
  e.text = length == 0 && kind == EntryKind::borrowed ? nullptr : text;
  e.length = length;
}

void set_empty(StackEntry& e) {
  set_plain(e, EntryKind::borrowed, nullptr, 0);
}

// Copies an entry to another slot; an inline text keeps pointing into its
// own slot's inline area.
void move_entry(StackEntry& dst, const StackEntry& src) {
  if (&dst == &src) return;
  std::memcpy(&dst, &src, sizeof(StackEntry));
  if (src.kind == EntryKind::inline_text && src.text != nullptr) {
    const unsigned char* base = src.inline_area;
    auto offset = reinterpret_cast<const unsigned char*>(src.text) - base;
    dst.text = reinterpret_cast<char*>(dst.inline_area + offset);
  }
}

void set_inline(StackEntry& e, const char* text, uint32_t length) {
  if (length > 0) std::memmove(e.inline_area, text, length);
  e.kind = EntryKind::inline_text;
  e.text = reinterpret_cast<char*>(e.inline_area);
  e.length = length;
}

// A new heap copy of `length` bytes, or null when length is 0 or memory is out.
char* heap_copy(const char* text, uint32_t length) {
  if (length == 0) return nullptr;
  auto* block = static_cast<char*>(svc::allocate(length));
  if (block != nullptr) std::memcpy(block, text, length);
  return block;
}

plat::VARIANT* owned_variant_of(StackEntry& e) {
  return reinterpret_cast<plat::VARIANT*>(e.inline_area);
}

plat::VARIANT* variant_of(StackEntry& e) {
  if (e.kind == EntryKind::owned_variant) return owned_variant_of(e);
  return reinterpret_cast<plat::VARIANT*>(e.text);
}

// The 16-bit length stored just before a counted string's text.
uint32_t counted_length(const char* text) {
  uint16_t n;
  std::memcpy(&n, text - 2, sizeof n);
  return n;
}

// Narrows a wide text into a new owned ANSI block; null when empty or out of memory.
char* narrow_copy(plat::BSTR text, uint32_t length) {
  if (text == nullptr || length == 0) return nullptr;
  auto* block = static_cast<char*>(svc::allocate(length));
  if (block != nullptr) plat::NarrowToAnsi(text, length, block);
  return block;
}

}  // namespace

StackEntry* StringStack::push_slot() {
  if (depth_ == kStackCapacity) return nullptr;
  StackEntry* e = &entries_[depth_++];
  set_empty(*e);
  return e;
}

void StringStack::release(StackEntry& e) {
  switch (e.kind) {
    case EntryKind::owned:
      svc::release(e.text);
      break;
    case EntryKind::owned_wide:
      plat::SysFreeString(reinterpret_cast<plat::BSTR>(e.text));
      break;
    case EntryKind::owned_variant:
      plat::VariantClear(owned_variant_of(e));
      break;
    default:
      break;
  }
  set_empty(e);
}

void StringStack::push_borrowed(const char* text, uint32_t length) {
  StackEntry* e = push_slot();
  if (e == nullptr || text == nullptr) return;
  set_plain(*e, EntryKind::borrowed, const_cast<char*>(text), length);
}

void StringStack::push_owned(char* block, uint32_t length) {
  StackEntry* e = push_slot();
  if (e == nullptr) {
    // The stack took ownership; a block it cannot hold is not leaked.
    if (block != nullptr) svc::release(block);
    return;
  }
  if (block == nullptr) return;
  set_plain(*e, EntryKind::owned, block, length);
}

void StringStack::push_empty() {
  push_slot();
}

void StringStack::push_cstring(const char* text) {
  if (full()) return;
  push_borrowed(text, text == nullptr ? 0 : static_cast<uint32_t>(std::strlen(text)));
  make_top_stable();
}

void StringStack::push_integer(int32_t value) {
  char digits[kNumberTextCapacity];
  uint32_t n = format_integer(value, digits);
  StackEntry* e = push_slot();
  if (e != nullptr) set_inline(*e, digits, n);
}

void StringStack::push_real(double value) {
  char text[kNumberTextCapacity];
  uint32_t n = format_real(value, text);
  if (n <= kInlineCapacity) {
    StackEntry* e = push_slot();
    if (e != nullptr) set_inline(*e, text, n);
    return;
  }
  if (full()) return;
  // The longest forms (a sign, 14 digits and an exponent) exceed the inline area.
  push_owned(heap_copy(text, n), n);
}

void StringStack::push_boolean(bool value) {
  StackEntry* e = push_slot();
  if (e != nullptr && value) set_inline(*e, "1", 1);
}

void StringStack::push_wide(plat::BSTR text) {
  StackEntry* e = push_slot();
  if (e == nullptr) {
    plat::SysFreeString(text);
    return;
  }
  e->kind = EntryKind::owned_wide;
  e->text = reinterpret_cast<char*>(text);
  e->length = plat::SysStringLen(text);
}

void StringStack::push_borrowed_wide(plat::BSTR text) {
  StackEntry* e = push_slot();
  if (e == nullptr) return;
  e->kind = EntryKind::borrowed_wide;
  e->text = reinterpret_cast<char*>(text);
  e->length = plat::SysStringLen(text);
}

void StringStack::push_borrowed_variant(const plat::VARIANT* value) {
  StackEntry* e = push_slot();
  if (e == nullptr || value == nullptr) return;
  e->kind = EntryKind::borrowed_variant;
  e->text = reinterpret_cast<char*>(const_cast<plat::VARIANT*>(value));
  e->length = 0;
}

void StringStack::push_owned_variant(plat::VARIANT* value) {
  StackEntry* e = push_slot();
  if (e == nullptr) {
    plat::VariantClear(value);
    return;
  }
  e->kind = EntryKind::owned_variant;
  e->text = nullptr;
  e->length = 0;
  std::memcpy(e->inline_area, value, sizeof(plat::VARIANT));
  plat::VariantInit(value);  // ownership moved into the entry
}

void StringStack::push_counted(const char* text) {
  StackEntry* e = push_slot();
  if (e == nullptr || text == nullptr) return;
  e->kind = EntryKind::counted;
  e->text = const_cast<char*>(text);
  e->length = counted_length(text);
}

void StringStack::make_entry_plain(uint32_t k) {
  if (k >= depth_) return;
  StackEntry& e = peek(k);
  if (!is_foreign(e.kind)) return;
  switch (e.kind) {
    case EntryKind::counted:
      set_plain(e, EntryKind::borrowed, e.text, e.length);
      return;
    case EntryKind::borrowed_wide:
    case EntryKind::owned_wide: {
      auto* wide = reinterpret_cast<plat::BSTR>(e.text);
      uint32_t n = plat::SysStringLen(wide);
      replace_owned(e, narrow_copy(wide, n), n);
      return;
    }
    default: {
      plat::VARIANT text;
      plat::VariantInit(&text);
      if (plat::VariantChangeType(&text, variant_of(e), 0, plat::VT_BSTR) != plat::S_OK) {
        release(e);
        return;
      }
      uint32_t n = plat::SysStringLen(text.bstrVal);
      replace_owned(e, narrow_copy(text.bstrVal, n), n);
      plat::VariantClear(&text);
    }
  }
}

void StringStack::make_top_stable() {
  if (empty()) return;
  StackEntry& e = peek();
  switch (e.kind) {
    case EntryKind::counted:
      make_top_plain();
      [[fallthrough]];
    case EntryKind::borrowed:
      if (e.length <= kInlineCapacity) {
        set_inline(e, e.text, e.length);
      } else {
        uint32_t n = e.length;
        replace_top_owned(heap_copy(e.text, n), n);
      }
      return;
    case EntryKind::borrowed_wide: {
      auto* wide = reinterpret_cast<plat::BSTR>(e.text);
      plat::BSTR copy = plat::SysAllocStringLen(wide, plat::SysStringLen(wide));
      if (wide != nullptr && copy == nullptr) {
        set_empty(e);
        return;
      }
      e.kind = EntryKind::owned_wide;
      e.text = reinterpret_cast<char*>(copy);
      return;
    }
    case EntryKind::borrowed_variant: {
      plat::VARIANT copy;
      plat::VariantInit(&copy);
      if (plat::VariantCopy(&copy, variant_of(e)) != plat::S_OK) {
        set_empty(e);
        return;
      }
      e.kind = EntryKind::owned_variant;
      e.text = nullptr;
      std::memcpy(e.inline_area, &copy, sizeof copy);
      return;
    }
    default:
      return;
  }
}

void StringStack::replace_top_owned(char* block, uint32_t length) {
  replace_owned(peek(), block, length);
}

void StringStack::replace_owned(StackEntry& e, char* block, uint32_t length) {
  release(e);
  if (block != nullptr) set_plain(e, EntryKind::owned, block, length);
}

void StringStack::narrow_top(char* text, uint32_t length) {
  StackEntry& e = peek();
  e.text = text;
  e.length = length;
}

void StringStack::pop_into_string(char* dest, uint32_t size) {
  make_top_plain();
  if (empty()) {
    fill_spaces(dest, size);
    return;
  }
  assign_string(dest, size, peek().text, peek().length);
  discard();
}

void StringStack::pop_into_cstring(char* dest, uint32_t size) {
  make_top_plain();
  if (empty()) {
    assign_cstring(dest, size, nullptr, 0);
    return;
  }
  assign_cstring(dest, size, peek().text, peek().length);
  discard();
}

void StringStack::pop_into_pstring(unsigned char* dest, uint32_t size) {
  make_top_plain();
  if (empty()) {
    assign_pstring(dest, size, nullptr, 0);
    return;
  }
  assign_pstring(dest, size, peek().text, peek().length);
  discard();
}

HeapString StringStack::pop_into_heap() {
  HeapString result;
  make_top_plain();
  if (empty()) return result;
  StackEntry& e = peek();
  if (e.kind == EntryKind::owned) {
    result.text = e.text;
    result.length = e.length;
    set_empty(e);  // the block now belongs to the caller
  } else {
    result.text = heap_copy(e.text, e.length);
    if (result.text != nullptr) result.length = e.length;
  }
  discard();
  return result;
}

void StringStack::discard() {
  if (empty()) return;
  release(entries_[--depth_]);
}

void StringStack::rotate(uint32_t k) {
  if (k == 0 || k >= depth_) return;
  StackEntry moving;
  uint32_t from = depth_ - 1 - k;
  move_entry(moving, entries_[from]);
  for (uint32_t i = from; i + 1 < depth_; ++i) move_entry(entries_[i], entries_[i + 1]);
  move_entry(entries_[depth_ - 1], moving);
}

SavedStack* StringStack::save() const {
  if (depth_ == 0) return nullptr;
  auto bytes = static_cast<uint32_t>(sizeof(SavedStack) + depth_ * sizeof(StackEntry));
  auto* saved = static_cast<SavedStack*>(svc::allocate(bytes));
  if (saved == nullptr) return nullptr;
  saved->depth = depth_;
  StackEntry* copies = saved_entries(saved);
  for (uint32_t i = 0; i < depth_; ++i) move_entry(copies[i], entries_[i]);
  return saved;
}

void StringStack::restore(SavedStack* saved) {
  if (saved == nullptr) {
    depth_ = 0;
    return;
  }
  depth_ = saved->depth < kStackCapacity ? saved->depth : kStackCapacity;
  StackEntry* copies = saved_entries(saved);
  for (uint32_t i = 0; i < depth_; ++i) move_entry(entries_[i], copies[i]);
  svc::release(saved);
}

void StringStack::reset() {
  while (!empty()) discard();
}

StringStack& string_stack() {
  static StringStack stack;
  return stack;
}

}  // namespace rt
