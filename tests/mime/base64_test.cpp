#include "mime/base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines encoded(const std::vector<std::string>& pieces) {
  Lines lines;
  mime::Base64Encoder encoder([&](std::string_view line) { lines.emplace_back(line); });
  for (const std::string& piece : pieces) encoder.put(piece);
  encoder.finish();
  return lines;
}

TEST(base64_test, words_are_the_standard_text_with_padding) {
  const struct {
    std::string bytes, text;
  } cases[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"\xFF\xFE\xFD", "//79"},
  };
  for (const auto& c : cases) {
    std::string out;
    mime::append_base64(out, c.bytes);
    EXPECT_EQ(out, c.text) << c.bytes;
    EXPECT_EQ(out.size(), mime::base64_size(c.bytes.size())) << c.bytes;
  }
}

// Lines of 76 characters, the last one holding the rest and empty when the
// bytes filled whole lines; however the bytes arrive, the lines are the same.
TEST(base64_test, a_stream_becomes_lines_of_76_whatever_its_pieces) {
  std::string bytes;
  for (int i = 0; i < 58 * 3; ++i) bytes += static_cast<char>(i * 37);
  const struct {
    const char* name;
    size_t size;
  } cases[] = {
      {"nothing", 0}, {"one byte", 1}, {"two bytes", 2}, {"three bytes", 3}, {"one line", 57},
      {"a line and a byte", 58}, {"three lines", 171}, {"three lines and two bytes", 173},
  };
  for (const auto& c : cases) {
    const std::string input = bytes.substr(0, c.size);
    std::string whole;
    mime::append_base64(whole, input);
    Lines expected;
    for (size_t at = 0; at < whole.size(); at += 76) expected.push_back(whole.substr(at, 76));
    if (whole.size() % 76 == 0) expected.emplace_back();
    EXPECT_EQ(encoded({input}), expected) << c.name;
    std::vector<std::string> singles;
    for (char b : input) singles.emplace_back(1, b);
    EXPECT_EQ(encoded(singles), expected) << c.name << ", byte by byte";
    EXPECT_EQ(encoded({input.substr(0, c.size / 3), "", input.substr(c.size / 3)}), expected) << c.name << ", cut";
  }
}

}  // namespace
