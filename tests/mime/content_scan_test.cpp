// The verdict on a file's whole content: bytes that are no text, lines too
// long or that a parser could take for a delimiter, and the shape of a
// message (header fields, then an empty line).
#include "mime/content_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::string_view kBoundaries[] = {"----=_1_", "----=_2_"};

mime::ContentVerdict scan(std::string_view bytes, size_t piece) {
  mime::ContentScan scan(kBoundaries);
  for (size_t at = 0; at < bytes.size(); at += piece) {
    const std::string_view part = bytes.substr(at, piece);
    scan.put({reinterpret_cast<const unsigned char*>(part.data()), part.size()});
  }
  return scan.verdict();
}

TEST(content_scan_test, delimiters_of_the_boundaries_open_a_line) {
  const struct {
    const char* line;
    bool delimiter;
  } cases[] = {
      {"------=_1_", true},          {"------=_2_--", true},   {"------=_1_--\t\t", true},
      {"------=_2_ and text", true}, {"------=_3_", false},    {"-----=_1_", false},
      {"=2D-----=_1_", false},       {" ------=_1_", false},   {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::opens_with_delimiter(c.line, kBoundaries), c.delimiter) << c.line;
}

TEST(content_scan_test, verdict_of_the_whole_in_pieces_cut_anywhere) {
  using V = mime::ContentVerdict;
  const std::string long_line(999, 'x'), longest_line(998, 'x');
  const struct {
    const char* name;
    std::string bytes;
    V verdict;
  } cases[] = {
      {"message, LF", "From: a@b\nSubject: x\n\nbody\n", {.message_shape = true}},
      {"message, CR LF, continued field", "Subject: a\r\n  b\r\n\r\nbody", {.message_shape = true}},
      {"headers only, no empty line", "From: a@b\n", {}},
      {"empty line first", "\nFrom: a@b\n", {}},
      {"no colon", "From a@b Mon\n\nbody\n", {}},
      {"continuation first", " x: y\n\nbody\n", {}},
      {"blank continuation", "A: b\n \n\nbody\n", {}},
      {"eight bit", "A: b\n\ncaf\xC3\xA9\n", {.eight_bit = true, .message_shape = true}},
      {"NUL", std::string("A: b\n\nx\0y", 9), {.nul = true, .message_shape = true}},
      {"lone CR", "A: b\n\nx\ry\n", {.lone_cr = true, .message_shape = true}},
      {"CR at the end", "A: b\n\nx\r", {.lone_cr = true, .message_shape = true}},
      {"998 bytes", "A: b\r\n\r\n" + longest_line + "\r\n", {.message_shape = true}},
      {"999 bytes", "A: b\n\n" + long_line, {.long_line = true, .message_shape = true}},
      {"delimiter", "A: b\n\n------=_1_--\n", {.delimiter_line = true, .message_shape = true}},
      {"delimiter, last line", "A: b\n\n------=_2_", {.delimiter_line = true, .message_shape = true}},
      {"empty", "", {}},
  };
  for (const auto& c : cases)
    for (size_t piece : {size_t{1}, size_t{2}, size_t{7}, c.bytes.size() + 1})
      EXPECT_EQ(scan(c.bytes, piece), c.verdict) << c.name << ", pieces of " << piece;
}

}  // namespace
