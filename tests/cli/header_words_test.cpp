#include "cli/header_words.h"

#include <gtest/gtest.h>

namespace {

TEST(header_words_test, ascii_subject_is_kept_and_other_text_becomes_encoded_words) {
  EXPECT_EQ(cli::header_text("Monthly report"), "Monthly report");
  EXPECT_EQ(cli::header_text("Gr\xC3\xBC\xC3\x9F" "e"), "=?UTF-8?B?R3LDvMOfZQ==?=");
  EXPECT_EQ(cli::header_text("a =?b?= c"), "=?UTF-8?B?YSA9P2I/PSBj?=");
}

TEST(header_words_test, long_text_splits_into_words_of_whole_characters) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "\xE4\xB8\xAD";  // 40 CJK characters, 120 bytes
  const std::string encoded = cli::header_text(text);
  size_t words = 0;
  for (size_t at = 0; at < encoded.size();) {
    const size_t end = std::min(encoded.find(' ', at), encoded.size());
    const std::string word = encoded.substr(at, end - at);
    EXPECT_LE(word.size(), cli::kEncodedWordLimit) << word;
    EXPECT_EQ(word.rfind("=?UTF-8?B?", 0), 0u) << word;
    // 45 bytes (15 characters) a word: 60 base64 characters, no padding.
    if (++words < 3) {
      EXPECT_EQ(word.size(), 72u) << word;
    }
    at = end + 1;
  }
  EXPECT_EQ(words, 3u);
}

TEST(header_words_test, display_names_beyond_ascii_or_with_a_comma_are_encoded) {
  const struct {
    const char* address;
    const char* written;
  } cases[] = {
      {"ann@example.com", "ann@example.com"},
      {"Ann Lee <ann@x>", "Ann Lee <ann@x>"},
      {"\"Ann Lee\" <ann@x>", "\"Ann Lee\" <ann@x>"},
      {"\"Doe, John\" <jd@x>", "=?UTF-8?B?RG9lLCBKb2hu?= <jd@x>"},
      {"Gr\xC3\xBC\xC3\x9F" "e <g@x>", "=?UTF-8?B?R3LDvMOfZQ==?= <g@x>"},
      {"<only@x>", "<only@x>"},
  };
  for (const auto& c : cases) EXPECT_EQ(cli::header_address(c.address), c.written) << c.address;
}

}  // namespace
