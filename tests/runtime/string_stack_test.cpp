#include "runtime/string_stack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ole.h"
#include "services/heap.h"

namespace {

using rt::EntryKind;
using rt::string_stack;

class string_stack_test : public testing::Test {
 protected:
  void SetUp() override { string_stack().reset(); }
  void TearDown() override { string_stack().reset(); }

  static std::string pop_text() {
    rt::HeapString s = string_stack().pop_into_heap();
    std::string text(s.text == nullptr ? "" : std::string(s.text, s.length));
    rt::release_heap_string(s);
    return text;
  }
  static EntryKind top_kind() { return string_stack().peek().kind; }
};

plat::BSTR wide(const char16_t* text) {
  return plat::SysAllocString(text);
}

// A counted string: a 32-bit link, the 16-bit length, then the text.
struct Counted {
  unsigned char bytes[6 + 16];
  const char* text() const { return reinterpret_cast<const char*>(bytes + 6); }
  explicit Counted(const char* s) {
    std::memset(bytes, 0, sizeof bytes);
    auto n = static_cast<uint16_t>(std::strlen(s));
    std::memcpy(bytes + 4, &n, 2);
    std::memcpy(bytes + 6, s, n);
  }
};

TEST_F(string_stack_test, entry_layout_is_forty_bytes) {
  EXPECT_EQ(sizeof(rt::StackEntry), 40u);
}

TEST_F(string_stack_test, integer_and_boolean_pushes_give_their_texts) {
  auto& stack = string_stack();
  stack.push_integer(-2147483647 - 1);
  EXPECT_EQ(top_kind(), EntryKind::inline_text);
  EXPECT_EQ(pop_text(), "-2147483648");
  stack.push_integer(0);
  EXPECT_EQ(pop_text(), "0");
  stack.push_boolean(true);
  EXPECT_EQ(pop_text(), "1");
  stack.push_boolean(false);
  EXPECT_EQ(string_stack().peek().length, 0u);
  EXPECT_EQ(pop_text(), "");
}

TEST_F(string_stack_test, real_push_uses_inline_area_or_heap_when_longer) {
  auto& stack = string_stack();
  stack.push_real(5.0);
  EXPECT_EQ(top_kind(), EntryKind::inline_text);
  EXPECT_EQ(pop_text(), "5");
  stack.push_real(-1.2345678901234e-300);
  EXPECT_EQ(top_kind(), EntryKind::owned);
  EXPECT_EQ(pop_text(), "-1.2345678901234e-300");
}

TEST_F(string_stack_test, thirty_third_push_is_ignored) {
  auto& stack = string_stack();
  for (int i = 0; i < 32; ++i) stack.push_integer(i);
  stack.push_integer(99);
  EXPECT_EQ(stack.depth(), 32u);
  EXPECT_EQ(pop_text(), "31");
}

TEST_F(string_stack_test, owned_push_onto_full_stack_releases_block) {
  auto& stack = string_stack();
  for (int i = 0; i < 32; ++i) stack.push_empty();
  auto before = svc::process_heap().validate().allocated_blocks;
  auto* block = static_cast<char*>(svc::allocate(8));
  stack.push_owned(block, 8);
  EXPECT_EQ(svc::process_heap().validate().allocated_blocks, before);
}

TEST_F(string_stack_test, cstring_push_is_stable_against_later_changes) {
  char buffer[40] = "short";
  string_stack().push_cstring(buffer);
  EXPECT_EQ(top_kind(), EntryKind::inline_text);
  std::strcpy(buffer, "changed");
  EXPECT_EQ(pop_text(), "short");

  std::string long_text(30, 'x');
  std::strcpy(buffer, long_text.c_str());
  string_stack().push_cstring(buffer);
  EXPECT_EQ(top_kind(), EntryKind::owned);
  buffer[0] = 'y';
  EXPECT_EQ(pop_text(), long_text);

  string_stack().push_cstring(nullptr);
  EXPECT_EQ(pop_text(), "");
}

TEST_F(string_stack_test, stabilising_copies_borrowed_text) {
  char variable[] = "abc";
  string_stack().push_borrowed(variable, 3);
  EXPECT_EQ(top_kind(), EntryKind::borrowed);
  string_stack().make_top_stable();
  EXPECT_EQ(top_kind(), EntryKind::inline_text);
  variable[0] = 'z';
  EXPECT_EQ(pop_text(), "abc");
}

TEST_F(string_stack_test, wide_strings_are_narrowed_to_ansi) {
  string_stack().push_wide(wide(u"caf\u00e9 \u20ac"));
  EXPECT_EQ(top_kind(), EntryKind::owned_wide);
  string_stack().make_top_plain();
  EXPECT_EQ(top_kind(), EntryKind::owned);
  EXPECT_EQ(pop_text(), "caf\xe9 \x80");

  plat::BSTR borrowed = wide(u"kept");
  string_stack().push_borrowed_wide(borrowed);
  string_stack().make_top_stable();
  EXPECT_EQ(top_kind(), EntryKind::owned_wide);
  EXPECT_EQ(pop_text(), "kept");
  EXPECT_EQ(plat::SysStringLen(borrowed), 4u);  // still the caller's
  plat::SysFreeString(borrowed);

  string_stack().push_borrowed_wide(nullptr);
  EXPECT_EQ(pop_text(), "");
}

TEST_F(string_stack_test, variants_are_changed_to_text) {
  plat::VARIANT v;
  plat::VariantInit(&v);
  v.vt = plat::VT_I4;
  v.lVal = -42;
  string_stack().push_borrowed_variant(&v);
  EXPECT_EQ(pop_text(), "-42");

  plat::VARIANT owned;
  plat::VariantInit(&owned);
  owned.vt = plat::VT_BSTR;
  owned.bstrVal = wide(u"own");
  string_stack().push_owned_variant(&owned);
  EXPECT_EQ(owned.vt, plat::VT_EMPTY);
  EXPECT_EQ(top_kind(), EntryKind::owned_variant);
  EXPECT_EQ(pop_text(), "own");

  plat::VARIANT null_value;
  plat::VariantInit(&null_value);
  null_value.vt = plat::VT_NULL;
  string_stack().push_borrowed_variant(&null_value);
  string_stack().make_top_plain();
  EXPECT_EQ(top_kind(), EntryKind::borrowed);
  EXPECT_EQ(pop_text(), "");
}

TEST_F(string_stack_test, borrowed_variant_becomes_owned_copy_when_stabilised) {
  plat::VARIANT v;
  plat::VariantInit(&v);
  v.vt = plat::VT_BSTR;
  v.bstrVal = wide(u"text");
  string_stack().push_borrowed_variant(&v);
  string_stack().make_top_stable();
  EXPECT_EQ(top_kind(), EntryKind::owned_variant);
  plat::VariantClear(&v);  // the entry must not depend on the caller's variant
  EXPECT_EQ(pop_text(), "text");
}

TEST_F(string_stack_test, counted_reference_reads_its_stored_length) {
  Counted c("hello");
  string_stack().push_counted(c.text());
  EXPECT_EQ(top_kind(), EntryKind::counted);
  EXPECT_EQ(string_stack().peek().length, 5u);
  string_stack().make_top_plain();
  EXPECT_EQ(top_kind(), EntryKind::borrowed);
  EXPECT_EQ(pop_text(), "hello");
  string_stack().push_counted(nullptr);
  EXPECT_EQ(pop_text(), "");
  string_stack().push_counted(c.text());
  string_stack().make_top_stable();
  EXPECT_EQ(top_kind(), EntryKind::inline_text);
  EXPECT_EQ(pop_text(), "hello");
}

TEST_F(string_stack_test, stabilising_a_long_text_without_memory_gives_empty) {
  std::string text(50, 'x');
  string_stack().push_borrowed(text.data(), 50);
  {
    svc::HeapFailureGuard fail;
    string_stack().make_top_stable();
  }
  EXPECT_EQ(string_stack().peek().length, 0u);
  EXPECT_EQ(pop_text(), "");
}

TEST_F(string_stack_test, pops_into_the_three_variable_types) {
  auto& stack = string_stack();
  char fixed[4];
  stack.push_borrowed("ABCDEF", 6);
  stack.pop_into_string(fixed, 4);
  EXPECT_EQ(std::string(fixed, 4), "ABCD");
  stack.push_borrowed("AB", 2);
  stack.pop_into_string(fixed, 4);
  EXPECT_EQ(std::string(fixed, 4), "AB  ");

  char c[5] = "zzzz";
  stack.push_borrowed("ABCDEF", 6);
  stack.pop_into_cstring(c, 4);
  EXPECT_STREQ(c, "ABC");
  EXPECT_EQ(c[4], '\0');

  unsigned char p[5] = {9, 'z', 'z', 'z', 'z'};
  stack.push_borrowed("ABCDEF", 6);
  stack.pop_into_pstring(p, 4);
  EXPECT_EQ(p[0], 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), 3), "ABC");
  EXPECT_EQ(p[4], 'z');
  EXPECT_EQ(stack.depth(), 0u);
}

TEST_F(string_stack_test, pop_of_size_zero_writes_nothing) {
  char guard = 'g';
  string_stack().push_borrowed("AB", 2);
  string_stack().pop_into_cstring(&guard, 0);
  EXPECT_EQ(guard, 'g');
  string_stack().push_borrowed("AB", 2);
  string_stack().pop_into_string(&guard, 0);
  EXPECT_EQ(guard, 'g');
  EXPECT_EQ(string_stack().depth(), 0u);
}

TEST_F(string_stack_test, pop_into_heap_hands_over_owned_block) {
  auto* block = static_cast<char*>(svc::allocate(3));
  std::memcpy(block, "xyz", 3);
  string_stack().push_owned(block, 3);
  rt::HeapString s = string_stack().pop_into_heap();
  EXPECT_EQ(s.text, block);
  EXPECT_EQ(s.length, 3u);
  rt::release_heap_string(s);
  EXPECT_EQ(s.text, nullptr);
  EXPECT_EQ(s.length, 0u);
}

TEST_F(string_stack_test, pop_into_heap_gives_null_pair_when_memory_is_out) {
  string_stack().push_borrowed("abc", 3);
  svc::HeapFailureGuard fail;
  rt::HeapString s = string_stack().pop_into_heap();
  EXPECT_EQ(s.text, nullptr);
  EXPECT_EQ(s.length, 0u);
  EXPECT_EQ(string_stack().depth(), 0u);
}

TEST_F(string_stack_test, rotate_moves_entry_to_top_and_keeps_inline_texts) {
  auto& stack = string_stack();
  stack.push_integer(1);
  stack.push_integer(2);
  stack.push_integer(3);
  stack.rotate(2);
  EXPECT_EQ(pop_text(), "1");
  EXPECT_EQ(pop_text(), "3");
  EXPECT_EQ(pop_text(), "2");
}

TEST_F(string_stack_test, save_and_restore_put_the_evaluation_back) {
  auto& stack = string_stack();
  stack.push_integer(7);
  stack.push_borrowed("outer", 5);
  rt::SavedStack* saved = stack.save();
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(stack.depth(), 2u);
  // A callback runs and uses the stack from a clean depth.
  stack.restore(nullptr);
  stack.push_integer(123456);
  stack.push_borrowed("inner", 5);
  stack.discard();
  stack.discard();
  stack.restore(saved);
  EXPECT_EQ(stack.depth(), 2u);
  EXPECT_EQ(pop_text(), "outer");
  EXPECT_EQ(pop_text(), "7");
  EXPECT_EQ(stack.save(), nullptr);
}

TEST_F(string_stack_test, pop_of_empty_stack_gives_empty_value) {
  char fixed[3] = {'x', 'x', 'x'};
  string_stack().pop_into_string(fixed, 3);
  EXPECT_EQ(std::string(fixed, 3), "   ");
  EXPECT_EQ(pop_text(), "");
  string_stack().discard();
  EXPECT_EQ(string_stack().depth(), 0u);
}

}  // namespace
