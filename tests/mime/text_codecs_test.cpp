#include "mime/text_codecs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mime/utf8.h"

namespace {

using Lines = std::vector<std::string>;

std::string repeat(std::string_view text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// The lines of the input put in the given pieces.
Lines encoded(const std::vector<std::string>& pieces) {
  Lines lines;
  mime::QuotedPrintableEncoder encoder([&](std::string_view line) { lines.emplace_back(line); });
  for (const std::string& piece : pieces) encoder.put(piece);
  encoder.finish();
  return lines;
}

TEST(text_codecs_test, windows_1252_becomes_utf8) {
  const struct {
    const char* label;
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {"ascii", "abc", "abc"},
      {"empty", "", ""},
      {"euro", "\x80", "\xE2\x82\xAC"},
      {"trade mark", "\x99", "\xE2\x84\xA2"},
      {"y diaeresis", "\x9F", "\xC5\xB8"},
      {"undefined 81", "\x81", "\xC2\x81"},
      {"undefined 8D 8F 90 9D", "\x8D\x8F\x90\x9D", "\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
      {"e acute", "caf\xE9", "caf\xC3\xA9"},
      {"no-break space and y", "\xA0\xFF", "\xC2\xA0\xC3\xBF"},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::windows_1252_to_utf8(c.bytes), c.utf8) << c.label;
}

TEST(text_codecs_test, quoted_printable_decodes_and_keeps_malformed_equals_signs) {
  const struct {
    const char* qp;
    const char* text;
  } cases[] = {
      {"a=3Db", "a=b"},
      {"=C3=A9 and =c3=a9", "\xC3\xA9 and \xC3\xA9"},
      {"soft=\r\nbreak", "softbreak"},
      {"soft=  \nbreak", "softbreak"},
      {"ends with=", "ends with"},
      {"line\r\nnext\n", "line\r\nnext\n"},
      {"a=G1 b=4", "a=G1 b=4"},
      {"=\rx", "=\rx"},
      {"==41", "=A"},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::quoted_printable_decode(c.qp), c.text) << c.qp;
}

TEST(text_codecs_test, quoted_printable_lines) {
  const std::string a75 = repeat("a", 75);
  const struct {
    const char* label;
    std::vector<std::string> pieces;
    Lines lines;
  } cases[] = {
      {"nothing", {""}, {}},
      {"one line", {"abc"}, {"abc"}},
      {"ends with a line end", {"abc\n"}, {"abc"}},
      {"line ends", {"abc\r\ndef\n\n"}, {"abc", "def", ""}},
      {"equals and tab", {"a=b\tc"}, {"a=3Db\tc"}},
      {"white space at line ends", {"trail \nx\t"}, {"trail=20", "x=09"}},
      {"utf8", {"caf\xC3\xA9"}, {"caf=C3=A9"}},
      {"controls", {"bell\x07 del\x7F"}, {"bell=07 del=7F"}},
      {"lone carriage returns", {"lone\rcr\r"}, {"lone=0Dcr=0D"}},
      {"76 bytes fit", {repeat("a", 76)}, {repeat("a", 76)}},
      {"77 bytes break", {repeat("a", 77)}, {a75 + "=", "aa"}},
      {"76 bytes and a line end", {repeat("a", 76) + "\nb"}, {repeat("a", 76), "b"}},
      {"escape not split", {a75 + "="}, {a75 + "=", "=3D"}},
      {"character not split", {repeat("a", 73) + "\xC3\xA9"}, {repeat("a", 73) + "=", "=C3=A9"}},
      {"character takes the last byte", {repeat("a", 70) + "\xC3\xA9"}, {repeat("a", 70) + "=C3=A9"}},
      {"last byte given back", {repeat("a", 70) + "\xC3\xA9" + "b"}, {repeat("a", 70) + "=", "=C3=A9b"}},
      {"space at the limit", {a75 + " \n"}, {a75 + "=", "=20"}},
      {"cut character", {"\xC3(", "\xE4\xB8"}, {"=C3(=E4=B8"}},
      {"character across pieces", {"caf\xC3", "\xA9 x"}, {"caf=C3=A9 x"}},
      {"line end across pieces", {"a\r", "\nb"}, {"a", "b"}},
      {"from and dot kept", {"From here\n.\n"}, {"From here", "."}},
  };
  for (const auto& c : cases) EXPECT_EQ(encoded(c.pieces), c.lines) << c.label;
}

TEST(text_codecs_test, quoted_printable_round_trip_keeps_limits_and_characters) {
  const std::string texts[] = {
      repeat("\xE4\xB8\xAD\xE6\x96\x87 ", 100),
      repeat("Caf\xC3\xA9 = cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e\t ", 30) + "\r\n" + repeat("x ", 200),
      repeat("\xF0\x9F\x98\x80", 50) + "\n" + repeat("=", 100) + "\n \n\t",
      repeat("a", 74) + "\xC3\xA9" + repeat("b", 150) + "=" + repeat("c", 75) + "\r" + repeat("d", 76) + " \n",
  };
  for (const std::string& text : texts) {
    const Lines lines = encoded({text});
    // Runs of plain bytes go on in one piece: the lines are those of the
    // bytes put one at a time.
    std::vector<std::string> bytes;
    for (const char c : text) bytes.emplace_back(1, c);
    EXPECT_EQ(encoded(bytes), lines);
    std::string joined, plain = text;
    for (size_t at = 0; (at = plain.find("\r\n", at)) != std::string::npos;) plain.erase(at, 1);
    for (const std::string& line : lines) {
      EXPECT_LE(line.size(), 76u) << line;
      const bool soft = line.ends_with('=');  // an "=" of the text is always escaped
      const std::string body = soft ? line.substr(0, line.size() - 1) : line;
      // Every "=" left begins an escape, and each part decodes to whole characters.
      for (size_t at = body.find('='); at != std::string::npos; at = body.find('=', at + 1))
        EXPECT_LT(at + 2, body.size()) << line;
      EXPECT_EQ(mime::first_invalid_utf8(mime::quoted_printable_decode(body)), std::string::npos) << line;
      joined += line + "\n";
    }
    if (!plain.ends_with('\n')) joined.pop_back();
    EXPECT_EQ(mime::quoted_printable_decode(joined), plain);
  }
}

}  // namespace
