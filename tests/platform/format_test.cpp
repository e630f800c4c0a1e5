#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/text.h"

using namespace plat;

namespace {

template <typename... Arguments>
std::string format(const char* pattern, Arguments... arguments) {
  char buffer[WSPRINTF_LIMIT + 16];
  int n = wsprintfA(buffer, pattern, arguments...);
  EXPECT_EQ(static_cast<size_t>(n), std::strlen(buffer));
  return std::string(buffer, static_cast<size_t>(n));
}

}  // namespace

TEST(format_test, integers_in_every_supported_form) {
  EXPECT_EQ(format("%d|%i|%u", -42, 7, 3000000000u), "-42|7|3000000000");
  EXPECT_EQ(format("%x|%X|%#x|%#X", 255, 255, 255, 255), "ff|FF|0xff|0XFF");
  EXPECT_EQ(format("%lu|%ld", 4000000000u, -1), "4000000000|-1");
  EXPECT_EQ(format("%5d|%-5d|%05d|%-05d", 42, 42, -42, 42), "   42|42   |-0042|42   ");
  EXPECT_EQ(format("%.3d|%.8x", 7, 0xABCu), "007|00000abc");
  EXPECT_EQ(format("%#06x", 0x1F), "0x001f");
  EXPECT_EQ(format("%hd|%hu", 70000, 70000), "4464|4464");
  EXPECT_EQ(format("%I64d|%I64x", -5000000000ll, 0x123456789ull), "-5000000000|123456789");
  EXPECT_EQ(format("%u", 0u), "0");
}

TEST(format_test, texts_and_characters) {
  EXPECT_EQ(format("[%s]", "abc"), "[abc]");
  EXPECT_EQ(format("[%6s][%-6s]", "abc", "abc"), "[   abc][abc   ]");
  EXPECT_EQ(format("[%.2s]", "abcdef"), "[ab]");
  EXPECT_EQ(format("[%s]", static_cast<const char*>(nullptr)), "[(null)]");
  EXPECT_EQ(format("%c%c", 'o', 'k'), "ok");
  EXPECT_EQ(format("100%% %q"), "100% q");  // an unknown conversion is its character
}

TEST(format_test, output_stops_at_1024_bytes_with_the_nul) {
  std::string long_text(3000, 'x');
  std::string result = format("%s and more", long_text.c_str());
  EXPECT_EQ(result.size(), static_cast<size_t>(WSPRINTF_LIMIT - 1));
  EXPECT_EQ(result, std::string(WSPRINTF_LIMIT - 1, 'x'));
}

TEST(format_test, wvsprintf_takes_a_list_of_arguments) {
  auto through_list = [](char* buffer, const char* pattern, ...) {
    va_list arguments;
    va_start(arguments, pattern);
    int n = wvsprintfA(buffer, pattern, arguments);
    va_end(arguments);
    return n;
  };
  char buffer[64];
  EXPECT_EQ(through_list(buffer, "Error: %s\r\n", "disk"), 13);
  EXPECT_STREQ(buffer, "Error: disk\r\n");
  EXPECT_EQ(through_list(buffer, "   %.8x\r\n", 0x4012ABu), 13);
  EXPECT_STREQ(buffer, "   004012ab\r\n");
}
