#include "runtime/environment_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "runtime/locale.h"
#include "services/error_state.h"

namespace {

using namespace rt;

class environment_file_test : public testing::Test {
 protected:
  void SetUp() override { locale().reset(); }
  void TearDown() override { locale().reset(); }

  static void read(const std::string& text) {
    read_environment_text(locale(), text.data(), static_cast<uint32_t>(text.size()));
  }
  static std::string item(const std::string& prepared, uint32_t i) {
    char out[kPreparedQuotedCapacity];
    uint32_t n = 0;
    if (!read_environment_item(prepared.data(), static_cast<uint32_t>(prepared.size()), i, out,
                               sizeof out, &n)) {
      return "<none>";
    }
    return std::string(out, n);
  }
  static std::string prepare(const std::string& value, bool keep_commas = false) {
    char out[kPreparedQuotedCapacity];
    uint32_t n = prepare_environment_value(value.data(), static_cast<uint32_t>(value.size()),
                                           keep_commas, out);
    return std::string(out, n);
  }
};

TEST_F(environment_file_test, path_replaces_extension_of_file_name_only) {
  char out[64];
  ASSERT_TRUE(environment_file_path("C:\\APPS\\MSGMAKE.EXE", out, sizeof out));
  EXPECT_STREQ(out, "C:\\APPS\\MSGMAKE.ENV");
  ASSERT_TRUE(environment_file_path("build/msgmake", out, sizeof out));
  EXPECT_STREQ(out, "build/msgmake.ENV");
  ASSERT_TRUE(environment_file_path("/opt/v1.2/msgmake", out, sizeof out));
  EXPECT_STREQ(out, "/opt/v1.2/msgmake.ENV");
  ASSERT_TRUE(environment_file_path("a.b.c", out, sizeof out));
  EXPECT_STREQ(out, "a.b.ENV");
  char small[8];
  EXPECT_FALSE(environment_file_path("longname.exe", small, sizeof small));
  EXPECT_STREQ(small, "");
}

TEST_F(environment_file_test, values_become_quoted_lists) {
  EXPECT_EQ(prepare("  Jan,F\"ev"), "\"Jan\",\"F\"\"ev\"");
  EXPECT_EQ(prepare("a,b", true), "\"a,b\"");
  EXPECT_EQ(prepare("\"as, written\""), "\"as, written\"");
  EXPECT_EQ(item("\"Jan\",\"F\"\"ev\"", 1), "F\"ev");
  EXPECT_EQ(item("one two,three", 2), "three");
  EXPECT_EQ(item("one two", 2), "<none>");
  EXPECT_EQ(item("\"\",\"b\"", 0), "");
  EXPECT_EQ(item("\"unterminated", 0), "unterminated");
}

TEST_F(environment_file_test, prepared_values_are_cut_to_their_buffers) {
  std::string quotes(1000, '"');
  std::string prepared = prepare("x" + quotes);
  EXPECT_LE(prepared.size(), kPreparedListCapacity);
  EXPECT_EQ(prepared.back(), '"');
  EXPECT_EQ(prepared.size() % 2, 1u);  // no doubled quote split in two
  std::string quoted = prepare("\"" + std::string(1000, 'a'));
  EXPECT_EQ(quoted.size(), kPreparedQuotedCapacity);
  std::string commas = prepare(std::string(500, ','));
  EXPECT_LE(commas.size(), kPreparedListCapacity);
}

TEST_F(environment_file_test, every_key_with_comments_blank_lines_and_line_ends) {
  read(
      "; a comment line has no equals sign\r\n"
      "\r\n"
      "BRIMON=Jan,F\xe9v,M\xe4r\r\n"
      "brimonth = Januarius-Longissimus,Februar\n"
      "\n"
      "BRIAMPM=vorm.,nachm.\r\n"
      "BRICOLSEQ=BA\n"
      "BRICASE=\"\xC0\xC9\" \"\xE0\xE9\"\n"
      "BRIDIGRAPH=\xC6"
      "AE,\x8C"
      "OE\n"
      "BRIBUTTON=&Ja,,&Abbrechen\n"
      "BRILFN=On\n"
      "BRIMSG5=Zugriff verweigert\n"
      "BRIMSG7=a, b   \t\n"
      "BRIUNKNOWN=whatever\n"
      "BRICHARSET=ansi\n");
  Locale& loc = locale();
  EXPECT_STREQ(loc.month_abbrev(1), "Jan");
  EXPECT_STREQ(loc.month_abbrev(2), "F\xe9v");
  EXPECT_STREQ(loc.month_abbrev(3), "M\xe4r");
  EXPECT_STREQ(loc.month_abbrev(4), "Apr");
  EXPECT_STREQ(loc.month_name(1), "Januarius-Lo");
  EXPECT_STREQ(loc.month_name(2), "Februar");
  EXPECT_STREQ(loc.month_name(3), "March");
  EXPECT_STREQ(loc.am_text(), "vo");
  EXPECT_STREQ(loc.pm_text(), "na");
  EXPECT_EQ(loc.weight('B'), 65);
  EXPECT_EQ(loc.weight('A'), 66);
  EXPECT_EQ(loc.weight('C'), 67);
  EXPECT_EQ(loc.to_upper(0xE9), 0xC9);
  ASSERT_NE(loc.digraph_of(0xC6), nullptr);
  EXPECT_EQ(loc.digraph_of(0xC6)->second, 'E');
  ASSERT_NE(loc.digraph_of(0x8C), nullptr);
  EXPECT_STREQ(loc.message_override(32512), "&Ja");
  EXPECT_EQ(loc.message_override(32513), nullptr);
  EXPECT_STREQ(loc.message_override(32514), "&Abbrechen");
  EXPECT_TRUE(loc.long_file_names());
  EXPECT_STREQ(loc.message_override(5), "Zugriff verweigert");
  EXPECT_STREQ(loc.message_override(7), "a, b");
  EXPECT_FALSE(loc.oem_charset());
}

TEST_F(environment_file_test, escapes_stand_for_bytes) {
  read("BRIMSG1=<65><66>\nBRIMSG2=a<<b\nBRIMSG3=<x<\nBRIMSG4=x<66\r\nBRIMSG5=<300x\n");
  EXPECT_STREQ(locale().message_override(1), "AB");
  EXPECT_STREQ(locale().message_override(2), "a<b");
  EXPECT_STREQ(locale().message_override(3), "<x<");
  EXPECT_STREQ(locale().message_override(4), "xB");  // the line end is not eaten
  EXPECT_STREQ(locale().message_override(5), ",");   // 300 wraps to its low byte
}

TEST_F(environment_file_test, ctrl_z_ends_the_file) {
  read(
      "BRIMSG1=one\n\x1A"
      "BRIMSG2=two\n");
  EXPECT_STREQ(locale().message_override(1), "one");
  EXPECT_EQ(locale().message_override(2), nullptr);
  read("BRIMSG3=th\x1Aree\nBRIMSG4=four\n");
  EXPECT_STREQ(locale().message_override(3), "th");
  EXPECT_EQ(locale().message_override(4), nullptr);
}

TEST_F(environment_file_test, keys_with_control_bytes_are_abandoned) {
  read("BRI\tMSG1=tab\nBRIMSG2=ok\nBRI MSG3=spaces dropped\n");
  EXPECT_EQ(locale().message_override(1), nullptr);
  EXPECT_STREQ(locale().message_override(2), "ok");
  EXPECT_STREQ(locale().message_override(3), "spaces dropped");
}

TEST_F(environment_file_test, over_long_keys_and_values_are_cut) {
  std::string long_key(100, 'K');
  std::string long_value(5000, 'v');
  read(long_key + "=x\nBRIMSG8=" + long_value + "\nBRIMSG9=after\n");
  const char* eight = locale().message_override(8);
  ASSERT_NE(eight, nullptr);
  EXPECT_EQ(std::string(eight), std::string(kPreparedListCapacity - 2, 'v'));
  EXPECT_STREQ(locale().message_override(9), "after");
  // A key longer than 31 characters keeps its first 31.
  read(std::string("BRIMSG1") + std::string(40, '0') + "=cut\n");
  EXPECT_EQ(locale().message_override(1), nullptr);
}

TEST_F(environment_file_test, msg_prefix_is_compared_as_written) {
  read("brimsg6=lower\nBRIMSGx=bad\nBRIMSG=none\n");
  EXPECT_EQ(locale().message_override(6), nullptr);
}

TEST_F(environment_file_test, empty_values_reset_tables) {
  read("BRICOLSEQ=BA\nBRICASE=\"\xC0\" \"\xE0\"\n");
  read("BRICOLSEQ=\nBRICASE=\n");
  EXPECT_EQ(locale().weight('A'), 65);
  EXPECT_EQ(locale().to_upper(0xE0), 0xE0);
}

TEST_F(environment_file_test, oem_charset_converts_values_but_not_the_sequence) {
  // 0x82 is e-acute in the OEM code page.
  read("BRICHARSET=oem\nBRIMSG1=caf\x82\n");
  EXPECT_TRUE(locale().oem_charset());
  EXPECT_STREQ(locale().message_override(1), "caf\xe9");
  read("BRICOLSEQ=WINDOWS\n");
  EXPECT_FALSE(locale().oem_charset());
}

TEST_F(environment_file_test, am_pm_windows_and_empty_first_item) {
  read("BRIAMPM=,xx\n");
  EXPECT_STREQ(locale().am_text(), "AM");
  EXPECT_STREQ(locale().pm_text(), "PM");
  read("BRIAMPM=a\n");
  EXPECT_STREQ(locale().am_text(), "a");
  EXPECT_STREQ(locale().pm_text(), "PM");
  read("BRIAMPM=windows\n");
  EXPECT_STREQ(locale().am_text(), locale().intl().s1159);
}

TEST_F(environment_file_test, file_is_read_across_buffer_boundaries) {
  // Lines that straddle every 2048-byte refill of the read buffer.
  std::string text;
  for (int i = 1; i <= 300; ++i) {
    text += "; filler line to move the next key across the buffer boundary\r\n";
    text += "BRIMSG" + std::to_string(i) + "=message " + std::to_string(i) + "<33>\r\n";
  }
  text +=
      "\x1A"
      "BRIMSG999=after the end\r\n";
  // A folder of the test's own: two runs of the suite never share it.
  std::random_device seed;
  std::filesystem::path folder;
  do folder = std::filesystem::temp_directory_path() / ("msgmake_environment_" + std::to_string(seed()));
  while (!std::filesystem::create_directory(folder));
  const auto path = folder / "msgmake.ENV";
  std::ofstream(path, std::ios::binary) << text;
  svc::error_state().clear();
  read_environment_file(locale(), path.string().c_str());
  std::filesystem::remove_all(folder);
  EXPECT_EQ(svc::error_state().code(), 0);
  for (int i = 1; i <= 300; ++i) {
    const char* found = locale().message_override(i);
    ASSERT_NE(found, nullptr) << i;
    EXPECT_EQ(std::string(found), "message " + std::to_string(i) + "!");
  }
  EXPECT_EQ(locale().message_override(999), nullptr);
}

// A FIFO or a folder is no environment file: reading one would block or fail,
// so it counts as missing, as a file that is not there does.
TEST_F(environment_file_test, missing_file_or_one_that_is_not_regular_posts_file_not_found) {
  const auto folder = std::filesystem::temp_directory_path() / "msgmake_environment_special";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "folder.ENV");
  const std::string fifo = (folder / "fifo.ENV").string();
  ASSERT_EQ(std::system(("mkfifo '" + fifo + "'").c_str()), 0);
  for (const std::string& path :
       {std::string("/nonexistent/folder/none.ENV"), fifo, (folder / "folder.ENV").string()}) {
    svc::error_state().clear();
    read_environment_file(locale(), path.c_str());
    EXPECT_EQ(svc::error_state().code(), svc::err::file_not_found) << path;
  }
  svc::error_state().clear();
  std::filesystem::remove_all(folder);
}

}  // namespace
