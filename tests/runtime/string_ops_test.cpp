#include "runtime/string_ops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <span>
#include <string>

#include "runtime/decimal.h"
#include "runtime/locale.h"
#include "runtime/string_stack.h"
#include "services/heap.h"

namespace {

using namespace rt;

class string_ops_test : public testing::Test {
 protected:
  void SetUp() override {
    string_stack().reset();
    decimal_accumulator().reset();
    locale().reset();
  }
  void TearDown() override {
    string_stack().reset();
    locale().reset();
  }

  // Pushes a borrowed view of a copy that lives as long as the test, as a
  // variable's storage would.
  void push(const std::string& s) {
    const std::string& kept = storage_.emplace_back(s);
    string_stack().push_borrowed(kept.data(), static_cast<uint32_t>(kept.size()));
  }
  // Pushes a copy owned by the stack, as a concatenation's result would be.
  static void push_owned(const std::string& s) {
    auto* block = static_cast<char*>(svc::allocate(static_cast<uint32_t>(s.size())));
    std::memcpy(block, s.data(), s.size());
    string_stack().push_owned(block, static_cast<uint32_t>(s.size()));
  }
  static std::string pop() {
    HeapString h = string_stack().pop_into_heap();
    std::string s = h.text == nullptr ? "" : std::string(h.text, h.length);
    release_heap_string(h);
    return s;
  }

  // One call of a length-taking primitive in a table: the text pushed, the
  // length given and the text left.
  struct SizedCase {
    const char* text;
    int32_t length;
    const char* result;
  };
  // Runs `primitive` on each case's text; a failure names the call.
  template <class Primitive>
  void expect_sized(const char* name, Primitive primitive, std::span<const SizedCase> cases) {
    for (const SizedCase& c : cases) {
      push(c.text);
      primitive(c.length);
      EXPECT_EQ(pop(), c.result) << name << "(\"" << c.text << "\", " << c.length << ")";
    }
  }

  std::deque<std::string> storage_;
};

TEST_F(string_ops_test, concatenation_in_both_operand_orders) {
  push("ab");
  push("cd");
  concat();
  EXPECT_EQ(string_stack().peek().kind, EntryKind::owned);
  EXPECT_EQ(pop(), "abcd");
  push("cd");
  push("ab");
  concat_reversed();
  EXPECT_EQ(pop(), "abcd");
  push("");
  push("");
  concat();
  EXPECT_EQ(string_stack().depth(), 1u);
  EXPECT_EQ(pop(), "");
}

TEST_F(string_ops_test, concatenation_gives_empty_string_when_memory_is_out) {
  push("ab");
  push("cd");
  {
    svc::HeapFailureGuard fail;
    concat();
  }
  EXPECT_EQ(string_stack().depth(), 1u);
  EXPECT_EQ(pop(), "");
}

TEST_F(string_ops_test, primitives_give_empty_string_when_memory_is_out) {
  auto with_failure = [](void (*primitive)()) {
    svc::HeapFailureGuard fail;
    primitive();
  };
  push("ab");
  with_failure([] { set_length(50); });
  EXPECT_EQ(pop(), "");
  push_owned("abcdef");
  with_failure([] { sub(2, 3); });
  EXPECT_EQ(pop(), "");
  push("ab");
  with_failure([] { all(10); });
  EXPECT_EQ(pop(), "");
  push("ab");
  with_failure([] { right(30); });
  EXPECT_EQ(pop(), "");
  EXPECT_EQ(string_stack().depth(), 0u);
}

TEST_F(string_ops_test, trailing_spaces_never_decide_a_comparison) {
  push("abc");
  push("abc   ");
  EXPECT_EQ(compare(), 0);
  push("abd");
  push("abc");
  EXPECT_GT(compare(), 0);
  push("ab");
  push("ab!");
  EXPECT_EQ(compare(), ' ' - '!');
  EXPECT_EQ(string_stack().depth(), 0u);
}

TEST_F(string_ops_test, case_insensitive_comparison_folds_letters) {
  push("Hello");
  push("hELLO");
  EXPECT_EQ(compare_nocase(), 0);
  push("a");
  push("B");
  EXPECT_LT(compare_nocase(), 0);
  push("a");
  push("B");
  EXPECT_GT(compare(), 0);  // by byte value 'a' sorts after 'B'
}

TEST_F(string_ops_test, clip_removes_only_trailing_spaces) {
  push("  a  ");
  clip();
  EXPECT_EQ(pop(), "  a");
  push(std::string("a\t\0 ", 4));
  clip();
  EXPECT_EQ(pop(), std::string("a\t\0", 3));
}

// Every split of up to 20 bytes into text and padding, with the last kept
// byte a space's neighbour (0x00, 0x21) or a tab: the padding alone goes.
TEST(clipped_length_test, takes_exactly_the_trailing_spaces) {
  for (size_t kept = 0; kept <= 20; ++kept) {
    for (size_t padding = 0; kept + padding <= 20; ++padding) {
      for (char last : {'\0', '!', '\t'}) {
        std::string text(kept, ' ');
        if (kept > 0) text.back() = last;
        text.append(padding, ' ');
        EXPECT_EQ(rt::clipped_length(text.data(), text.size()), kept) << kept << "+" << padding;
      }
    }
  }
}

TEST_F(string_ops_test, len_of_variable_is_its_size_and_of_clipped_value_shorter) {
  char variable[10];
  std::memset(variable, ' ', sizeof variable);
  string_stack().push_borrowed(variable, 10);
  EXPECT_EQ(len(), 10u);
  string_stack().push_borrowed(variable, 10);
  clip();
  EXPECT_EQ(len(), 0u);
  string_stack().push_wide(plat::SysAllocString(u"wide"));
  EXPECT_EQ(len(), 4u);
}

TEST_F(string_ops_test, left_moves_text_and_keeps_length) {
  const SizedCase calls[] = {{"  ab", 6, "ab    "}, {"  ab", kLengthOmitted, "ab  "}};
  expect_sized("LEFT", left, calls);
  push_owned("  ab");
  left();
  EXPECT_EQ(pop(), "ab  ");
}

TEST_F(string_ops_test, left_never_changes_the_variable) {
  char variable[] = "  xyz";
  string_stack().push_borrowed(variable, 5);
  left(3);
  EXPECT_EQ(pop(), "xyz");
  EXPECT_STREQ(variable, "  xyz");
}

TEST_F(string_ops_test, right_aligns_clipped_text) {
  const SizedCase calls[] = {
      {"ab  ", 5, "   ab"},
      {"abcdef", 3, "def"},
      {"ab  ", kLengthOmitted, "  ab"},
  };
  expect_sized("RIGHT", right, calls);
  push_owned(std::string(30, 'x') + "  ");
  right(40);
  EXPECT_EQ(pop(), std::string(10, ' ') + std::string(30, 'x'));
}

TEST_F(string_ops_test, center_puts_odd_space_on_the_left) {
  const SizedCase calls[] = {
      {"ab", 5, "  ab "},
      {"abcdef", 3, "cde"},
      {" ab   ", kLengthOmitted, "  ab  "},
      {"    ", 3, "   "},
  };
  expect_sized("CENTER", center, calls);
}

TEST_F(string_ops_test, set_length_shortens_or_pads) {
  push("abcdef");
  set_length(2);
  EXPECT_EQ(pop(), "ab");
  push("ab");
  set_length(5);
  EXPECT_EQ(string_stack().peek().kind, EntryKind::owned);
  EXPECT_EQ(pop(), "ab   ");
}

TEST_F(string_ops_test, sub_selects_by_start_and_length) {
  struct SubCase {
    const char* text;
    int32_t start;
    int32_t length;
    const char* result;
  };
  const SubCase calls[] = {
      {"abcdef", 2, 3, "bcd"}, {"abcdef", -2, 5, "ef"}, {"abcdef", 5, -1, "ef"},
      {"abc", 9, 2, ""},       {"abc", -9, 2, "ab"},
  };
  for (const SubCase& c : calls) {
    push(c.text);
    sub(c.start, c.length);
    EXPECT_EQ(pop(), c.result) << "SUB(\"" << c.text << "\", " << c.start << ", " << c.length
                               << ")";
  }
}

TEST_F(string_ops_test, sub_of_owned_value_copies_and_start_zero_is_empty) {
  push_owned("abcdef");
  sub(3, 2);
  EXPECT_EQ(string_stack().peek().kind, EntryKind::owned);
  EXPECT_EQ(pop(), "cd");
  push_owned("abcdef");
  sub(1, 2);
  EXPECT_EQ(pop(), "ab");
  push_owned("abcdef");
  sub(0, 2);
  EXPECT_EQ(pop(), "");
  push("abcdef");
  sub(0, 2);
  EXPECT_EQ(pop(), "ab");
}

TEST_F(string_ops_test, all_repeats_the_pattern) {
  const SizedCase calls[] = {
      {"abc", 8, "abcabcab"},
      {"-", 3, "---"},
      {"", 3, "   "},
      {"ab", 0, ""},
  };
  expect_sized("ALL", all, calls);
}

TEST_F(string_ops_test, upper_and_lower_change_only_known_letters) {
  char variable[] = "ab\xe9z1";
  string_stack().push_borrowed(variable, 5);
  upper();
  EXPECT_EQ(pop(), "AB\xe9Z1");
  EXPECT_STREQ(variable, "ab\xe9z1");  // stabilised, never changed through the entry
  push("MiXeD");
  lower();
  EXPECT_EQ(pop(), "mixed");
  char c[] = "abc";
  upper_cstring(c);
  EXPECT_STREQ(c, "ABC");
  lower_counted(c, 2);
  EXPECT_STREQ(c, "abC");
}

TEST_F(string_ops_test, upper_follows_locale_case_pairs) {
  locale().apply_case_pairs("\xC0\xC9", 2, "\xE0\xE9", 2);
  push("\xe9t\xe9");
  upper();
  EXPECT_EQ(pop(), "\xC9T\xC9");
}

TEST_F(string_ops_test, inlist_finds_first_equal_item) {
  push("b ");
  push("a");
  push("b");
  push("c");
  EXPECT_EQ(inlist(3), 2);
  EXPECT_EQ(string_stack().depth(), 0u);
  push("z");
  push("a");
  EXPECT_EQ(inlist(1), 0);
  EXPECT_EQ(string_stack().depth(), 0u);
}

TEST_F(string_ops_test, numeric_needs_the_whole_clipped_text) {
  for (const char* text : {"", "    ", "12a", "+", ".", "1e", "0x10"}) {
    push(text);
    EXPECT_EQ(numeric(), 0) << text;
  }
  for (const char* text : {" 12.5", "-3", "1e5  ", ".5", "5.", "+7E-2"}) {
    push(text);
    EXPECT_EQ(numeric(), 1) << text;
  }
}

TEST_F(string_ops_test, numeric_reads_at_most_39_bytes) {
  push(std::string(39, '1') + "x");
  EXPECT_EQ(numeric(), 1);
  push(std::string(38, '1') + "x");
  EXPECT_EQ(numeric(), 0);
}

TEST_F(string_ops_test, truth_of_clipped_value) {
  push("   ");
  EXPECT_FALSE(truth());
  push(" a ");
  EXPECT_TRUE(truth());
  string_stack().push_boolean(false);
  EXPECT_FALSE(truth());
  string_stack().push_counted(nullptr);
  EXPECT_FALSE(truth());
  string_stack().push_borrowed_wide(nullptr);
  EXPECT_FALSE(truth());
}

TEST_F(string_ops_test, text_to_numbers) {
  push("  -12,5");
  EXPECT_EQ(pop_integer(), -12);
  push(" 2.5e1  ");
  EXPECT_DOUBLE_EQ(pop_real(), 25.0);
  push("abc");
  EXPECT_EQ(pop_real(), 0.0);
  push("4096");
  pop_to_decimal();
  EXPECT_EQ(decimal_accumulator().depth(), 1u);
  EXPECT_EQ(decimal_accumulator().pop_integer(), 4096);
}

}  // namespace
