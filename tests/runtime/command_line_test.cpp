#include "runtime/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/process.h"
#include "runtime/string_stack.h"

namespace {

using namespace rt;

// Starts the program (as far as the command line goes) with the given
// arguments, and forgets them afterwards.
class Started {
 public:
  explicit Started(std::vector<const char*> arguments) : argv_(std::move(arguments)) {
    argv_.insert(argv_.begin(), "prog");
    plat::set_process_arguments(static_cast<int>(argv_.size()), argv_.data());
    command_line().reset();
  }
  ~Started() {
    plat::set_process_arguments(0, nullptr);
    command_line().reset();
  }

 private:
  std::vector<const char*> argv_;
};

// The query as the language runs it: selector pushed, result popped.
std::string query(const std::string& selector) {
  StringStack& stack = string_stack();
  stack.reset();
  stack.push_borrowed(selector.data(), static_cast<uint32_t>(selector.size()));
  command_line_query();
  EXPECT_EQ(stack.depth(), 1u);
  const std::string result(stack.peek().text, stack.peek().length);
  stack.reset();
  return result;
}

// One query of a table: the selector and the answer expected.
struct QueryCase {
  const char* selector;
  const char* answer;
};

// Runs each query of the table; a failure names its selector.
void expect_answers(std::span<const QueryCase> cases) {
  for (const QueryCase& c : cases)
    EXPECT_EQ(query(c.selector), c.answer) << "selector \"" << c.selector << '"';
}

const char* const kExampleArguments = " alpha, beta /Fast name=Val \"two words\" x\"\"y";

TEST(command_line_test, empty_selector_gives_the_argument_text) {
  Started run({kExampleArguments});
  const QueryCase queries[] = {
      {"", "alpha, beta /Fast name=Val \"two words\" x\"\"y"},
      {"   ", "alpha, beta /Fast name=Val \"two words\" x\"\"y"},  // clipped
  };
  expect_answers(queries);
}

TEST(command_line_test, positions_select_tokens) {
  Started run({kExampleArguments});
  const QueryCase queries[] = {
      {"1", "alpha"},     {"2", "beta"},   {"3", "/Fast"}, {"4", "name=Val"},
      {"5", "two words"}, {"6", "x\"y"},   {"7", ""},      {"9", ""},
      {" +2", "beta"},    {"2nd", "beta"}, {"-1", ""},     {"99999999999999999999", ""},
  };
  expect_answers(queries);
}

TEST(command_line_test, flags_match_a_prefix_without_regard_to_case) {
  Started run({kExampleArguments});
  const QueryCase queries[] = {
      {"/fast", "Fast"},
      {"/F", "Fast"},
      {"/Faster", ""},
      {"/x", ""},
  };
  expect_answers(queries);
}

TEST(command_line_test, names_need_their_equals_sign) {
  Started run({kExampleArguments});
  const QueryCase queries[] = {
      {"NAME", "Val"},
      {"name", "Val"},
      {"nam", ""},
      {"alpha", ""},
  };
  expect_answers(queries);
}

TEST(command_line_test, zero_gives_the_program_path) {
  Started run({kExampleArguments});
  const std::string path = query("0");
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
}

TEST(command_line_test, no_arguments_give_empty_results) {
  Started run({});
  const QueryCase queries[] = {
      {"", ""},
      {"1", ""},
      {"/a", ""},
      {"a", ""},
  };
  expect_answers(queries);
  EXPECT_FALSE(query("0").empty());
}

TEST(command_line_test, commas_slashes_and_quotes_delimit_tokens) {
  Started run({"a,,b /x/y \"q,r\"s  , t"});
  const QueryCase queries[] = {
      {"1", "a"}, {"2", ""},  // two commas hold an empty token
      {"3", "b"}, {"4", "/x"}, {"5", "/y"}, {"6", "q,rs"}, {"7", "t"}, {"/Y", "y"},
  };
  expect_answers(queries);
}

TEST(command_line_test, argument_text_is_read_once) {
  Started run({"first"});
  EXPECT_EQ(query("1"), "first");
  const char* other[] = {"prog", "second"};
  plat::set_process_arguments(2, other);
  EXPECT_EQ(query("1"), "first");
}

TEST(command_line_test, an_unclosed_quote_runs_to_the_end) {
  Started run({"a \"b c, d"});
  const QueryCase queries[] = {
      {"2", "b c, d"},
      {"3", ""},
  };
  expect_answers(queries);
}

TEST(command_line_test, control_bytes_separate_tokens) {
  Started run({"a\x01\x02" "b\x1F,c"});
  const QueryCase queries[] = {
      {"1", "a"}, {"2", "b"}, {"3", "c"}, {"4", ""}, {"zz", ""},
  };
  expect_answers(queries);
}

TEST(command_line_test, body_delimiters_stay_in_the_argument_text) {
  Started run({"7 call(\"x\") \xDC" "one\xDC" "two\xDC \xDD" "a.pdf\xDD"});
  EXPECT_EQ(query(""), "7 call(\"x\") \xDC" "one\xDC" "two\xDC \xDD" "a.pdf\xDD");
}

}  // namespace
