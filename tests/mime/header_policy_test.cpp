#include "mime/header_policy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using mime::HeaderLines;

std::string repeat(std::string_view text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

std::string hex(std::string_view bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    out += digits[static_cast<unsigned char>(c) >> 4];
    out += digits[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

// What every header line must be: 7-bit, within 78 bytes, the first naming
// the header and every other a continuation that holds more than white space;
// each encoded-word within 75 bytes.
void expect_well_formed(const HeaderLines& lines, std::string_view first, const std::string& label) {
  ASSERT_FALSE(lines.empty()) << label;
  EXPECT_EQ(lines[0].rfind(first, 0), 0u) << label << ": " << lines[0];
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    EXPECT_LE(line.size(), mime::kHeaderLineLimit) << label << ": " << line;
    for (char c : line) EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80 && c != '\r' && c != '\n') << label;
    if (i > 0) {
      EXPECT_TRUE(line[0] == ' ' || line[0] == '\t') << label << ": " << line;
      EXPECT_NE(line.find_first_not_of(" \t"), std::string::npos) << label << ": line " << i;
    }
    for (size_t at = line.find("=?"); at != std::string::npos; at = line.find("=?", at + 2)) {
      const size_t end = line.find("?=", at + 10);
      ASSERT_NE(end, std::string::npos) << label << ": " << line;
      EXPECT_LE(end + 2 - at, 75u) << label << ": " << line;
      at = end;
    }
  }
}

// Runs Python's e-mail parser over a message of `headers` (and a one-line
// body) and checks what it reads against `expectations` (see header_check.py).
std::string python_reads(const HeaderLines& headers, const std::vector<std::string>& expectations) {
#ifdef _WIN32
  (void)headers, (void)expectations;
  return "ok\n";  // no Python there; the Linux build checks these bytes
#endif
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("msgmake_header_policy_" + std::string(info->name()));
  std::filesystem::create_directories(folder);
  {
    std::ofstream message(folder / "m.eml", std::ios::binary);
    for (const std::string& line : headers) message << line << "\r\n";
    message << "\r\nbody\r\n";
    std::ofstream listed(folder / "expected", std::ios::binary);
    for (const std::string& line : expectations) listed << line << "\n";
  }
  const std::string command = "python3 '" + std::string(MSGMAKE_SOURCE_DIR) + "/tests/mime/header_check.py' '" +
                              (folder / "m.eml").string() + "' '" + (folder / "expected").string() + "' >'" +
                              (folder / "report").string() + "' 2>&1";
  (void)std::system(command.c_str());
  std::ifstream in(folder / "report", std::ios::binary);
  std::string report(std::istreambuf_iterator<char>(in), {});
  std::filesystem::remove_all(folder);
  return report;
}

void append(HeaderLines& to, const HeaderLines& lines) { to.insert(to.end(), lines.begin(), lines.end()); }

const std::string kChinese500 = repeat("\xE4\xB8\xAD\xE6\x96\x87", 250);  // 500 characters
const std::string kGrusse = "Gr\xC3\xBC\xC3\x9F" "e";

TEST(header_policy_test, unstructured_values_are_kept_or_encoded) {
  const struct {
    const char* label;
    std::string text;
    HeaderLines lines;
  } cases[] = {
      {"empty", "", {"Subject:"}},
      {"ascii", "Monthly report", {"Subject: Monthly report"}},
      {"tab kept", "a\tb", {"Subject: a\tb"}},
      {"base64 shorter", kGrusse, {"Subject: =?UTF-8?B?R3LDvMOfZQ==?="}},
      {"q shorter", "Caf\xC3\xA9 au lait", {"Subject: =?UTF-8?Q?Caf=C3=A9_au_lait?="}},
      {"start of a word", "a =?b?= c", {"Subject: =?UTF-8?B?YSA9P2I/PSBj?="}},
      {"carriage return", "a\rb", {"Subject: =?UTF-8?B?YQ1i?="}},
      {"delete", "a\x7F", {"Subject: =?UTF-8?B?YX8=?="}},
      {"long word unbroken", repeat("x", 100), {"Subject: " + repeat("x", 100)}},
      {"folded before spaces", "abcd" + repeat(" abcd", 19),
       {"Subject: abcd" + repeat(" abcd", 13), repeat(" abcd", 6)}},
      {"runs kept", "abcd" + repeat(" abcd", 13) + "   x  ", {"Subject: abcd" + repeat(" abcd", 13), "   x  "}},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::unstructured_header("Subject", c.text), c.lines) << c.label;
}

TEST(header_policy_test, long_and_odd_values_fold_within_the_limits) {
  const struct {
    const char* label;
    std::string name;
    std::string text;
  } cases[] = {
      {"500 chinese characters", "Subject", kChinese500},
      {"mostly ascii", "Subject", repeat("Caf\xC3\xA9 au lait, ", 20)},
      {"four-byte characters", "Subject", repeat("\xF0\x9F\x98\x80", 60)},
      {"word past 998 bytes", "Subject", repeat("x", 1200)},
      {"control characters", "Subject", "line\r\nBcc: x@y\x01"},
      {"long name", "X-" + repeat("n", 70), kGrusse},
      {"stray bytes", "Subject", "a\xFF\xC3 b"},
  };
  for (const auto& c : cases) {
    const HeaderLines lines = mime::unstructured_header(c.name, c.text);
    expect_well_formed(lines, c.name + ":", c.label);
  }
}

TEST(header_policy_test, python_reads_back_unstructured_values) {
  const std::string texts[] = {kChinese500, repeat("Caf\xC3\xA9 au lait, ", 20), repeat("\xF0\x9F\x98\x80", 60),
                               "abcd" + repeat(" abcd", 40), repeat("x", 1200), "a =?b?= c", kGrusse};
  for (const std::string& text : texts) {
    HeaderLines message = mime::unstructured_header("Subject", text);
    EXPECT_EQ(python_reads(message, {"text\tSubject\t" + hex(text)}), "ok\n") << text;
  }
}

TEST(header_policy_test, lists_split_at_commas_outside_quotes_brackets_and_comments) {
  const struct {
    const char* list;
    std::vector<std::string> addresses;
  } cases[] = {
      {"a@x, b@y ,,c@z", {"a@x", "b@y", "c@z"}},
      {"\"Doe, John\" <j@x>, ann@y", {"\"Doe, John\" <j@x>", "ann@y"}},
      {"\"Say \\\"hi, there\\\"\" <h@x>", {"\"Say \\\"hi, there\\\"\" <h@x>"}},
      {"\"a,b\"@x.com, c@y", {"\"a,b\"@x.com", "c@y"}},
      {"Ann (home, work) <a@x>, b@y", {"Ann (home, work) <a@x>", "b@y"}},
      {"Ann (a (nested, one) \\), here) <a@x>,b@y", {"Ann (a (nested, one) \\), here) <a@x>", "b@y"}},
      {"<\"odd,one\"@x>, b@y", {"<\"odd,one\"@x>", "b@y"}},
      {" , ", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::split_addresses(c.list), c.addresses) << c.list;
}

TEST(header_policy_test, an_address_can_be_sent_to_when_its_address_proper_has_a_domain) {
  const struct {
    const char* address;
    bool sendable;
  } cases[] = {
      {"ann@example.com", true},
      {"Ann Lee <ann@example.com>", true},
      {"\"a,b\"@x.com", true},
      {"ann@example.com (Ann)", true},
      {"\"Ann @ home\" <ann@example.com>", true},
      {"not an address", false},
      {"Ann", false},
      {"Ann <>", false},
      {"Ann@home <ann>", false},  // the "@" of the display name does not count
      {"\"ann@home\"", false},
      {"ann (ann@example.com)", false},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::has_mail_domain(c.address), c.sendable) << c.address;
}

TEST(header_policy_test, field_names_are_printable_ascii_without_a_colon) {
  for (const char* name : {"X-Tracking", "Organization", "a", "!#$%&'*+-.^_`|~", "X-\x7E"})
    EXPECT_TRUE(mime::is_field_name(name)) << name;
  for (const char* name : {"", "X Tracking", "X:Tracking", "X-\t", "X-\x7F", "Gr\xC3\xBC\xC3\x9F" "e", "X-\r\n"})
    EXPECT_FALSE(mime::is_field_name(name)) << name;
}

TEST(header_policy_test, address_lists_take_a_line_each) {
  const struct {
    const char* list;
    HeaderLines lines;
  } cases[] = {
      {"", {"To:"}},
      {"  ", {"To:"}},
      {"ann@example.com", {"To: ann@example.com"}},
      {"a@x, b@y ,,c@z", {"To: a@x,", "    b@y,", "    c@z"}},
      {"\"a,b\"@x.com, d@y", {"To: \"a,b\"@x.com,", "    d@y"}},
      {"\"Doe, John\" <j@x>", {"To: \"Doe, John\" <j@x>"}},
      {"Ann Lee <ann@x>", {"To: Ann Lee <ann@x>"}},
      {"Ann (home, work) <a@x>, b@y", {"To: Ann (home, work) <a@x>,", "    b@y"}},
      {"Ann@home <a@x>", {"To: \"Ann@home\" <a@x>"}},
      {"Gr\xC3\xBC\xC3\x9F" "e <g@x>, b@y", {"To: =?UTF-8?B?R3LDvMOfZQ==?= <g@x>,", "    b@y"}},
      {"b@y, \"Gr\xC3\xBC\xC3\x9F" "e\" <g@x>", {"To: b@y,", "    =?UTF-8?B?R3LDvMOfZQ==?= <g@x>"}},
      {"<only@x>", {"To: <only@x>"}},
      {"a@x\r\nBcc: e@y", {"To: a@x  Bcc: e@y"}},
      {"\r\n, b@y", {"To: b@y"}},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::address_header("To", c.list), c.lines) << c.list;
}

TEST(header_policy_test, python_reads_back_address_lists) {
  const std::string ivan = "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD";
  const std::string long_name = repeat(ivan + " ", 29) + ivan;  // Cyrillic, 30 words
  const struct {
    std::string list;
    std::vector<std::pair<std::string, std::string>> addresses;
  } cases[] = {
      {"\"a,b\"@x.com, \"Doe, John\" <j@x>", {{"", "\"a,b\"@x.com"}, {"Doe, John", "j@x"}}},
      {"\"" + long_name + "\" <ivan@example.com>, " + kGrusse + " <g@x>",
       {{long_name, "ivan@example.com"}, {kGrusse, "g@x"}}},
      {"\"" + kChinese500.substr(0, 300) + "\" <c@x>", {{kChinese500.substr(0, 300), "c@x"}}},
      {"Ann@home <a@x>, \"=?x?= \\\"q\\\"\" <q@x>", {{"Ann@home", "a@x"}, {"=?x?= \"q\"", "q@x"}}},
  };
  for (const auto& c : cases) {
    const HeaderLines lines = mime::address_header("To", c.list);
    expect_well_formed(lines, "To:", c.list);
    std::vector<std::string> expectations;
    for (const auto& [display, address] : c.addresses)
      expectations.push_back("address\tTo\t" + hex(display) + "\t" + hex(address));
    EXPECT_EQ(python_reads(lines, expectations), "ok\n") << c.list;
  }
}

// A plain ASCII name is quoted as it is; one with a quote or backslash, or too
// long for its line, goes encoded, since readers disagree on quoted pairs.
TEST(header_policy_test, plain_ascii_file_names_are_quoted_as_they_are) {
  const struct {
    const char* name;
    const char* name_line;
    const char* filename_line;
  } cases[] = {
      {"a.pdf", "    name=\"a.pdf\"", "    filename=\"a.pdf\""},
      {"say \"hi\"\\.txt", "    name=\"=?UTF-8?B?c2F5ICJoaSJcLnR4dA==?=\"", "    filename*=UTF-8''say%20%22hi%22%5C.txt"},
      {"", "    name=\"\"", "    filename=\"\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mime::name_parameter(c.name), HeaderLines{c.name_line}) << c.name;
    EXPECT_EQ(mime::filename_parameter(c.name), HeaderLines{c.filename_line}) << c.name;
  }
}

TEST(header_policy_test, other_file_names_are_encoded) {
  const std::string name = "\xC3\x9C" "bersicht.pdf";
  EXPECT_EQ(mime::name_parameter(name), HeaderLines{"    name=\"=?UTF-8?B?w5xiZXJzaWNodC5wZGY=?=\""});
  EXPECT_EQ(mime::filename_parameter(name), HeaderLines{"    filename*=UTF-8''%C3%9Cbersicht.pdf"});
  EXPECT_EQ(mime::filename_parameter("a\tb"), HeaderLines{"    filename*=UTF-8''a%09b"});
  const HeaderLines sections = mime::filename_parameter(repeat("\xC3\xA9", 30));  // 180 bytes encoded
  EXPECT_EQ(sections, (HeaderLines{"    filename*0*=UTF-8''" + repeat("%C3%A9", 9) + ";",
                                   "    filename*1*=" + repeat("%C3%A9", 10) + ";",
                                   "    filename*2*=" + repeat("%C3%A9", 10) + ";",
                                   "    filename*3*=%C3%A9"}));
}

TEST(header_policy_test, python_reads_back_file_names) {
  const std::string names[] = {"\xC3\x9C" "bersicht M\xC3\xA4rz.pdf", repeat("\xE5\xA0\xB1\xE5\x91\x8A", 40) + ".docx",
                               repeat("\xF0\x9F\x93\x8E", 50), "a \"b\"\\c.txt", "tab\there.txt"};
  for (const std::string& name : names) {
    HeaderLines message = {"MIME-Version: 1.0", "Content-Type: application/octet-stream;"};
    append(message, mime::name_parameter(name));
    message.push_back("Content-Disposition: attachment;");
    append(message, mime::filename_parameter(name));
    for (const std::string& line : message) {
      EXPECT_LE(line.size(), mime::kHeaderLineLimit) << name << ": " << line;
    }
    EXPECT_EQ(python_reads(message, {"name\t" + hex(name), "filename\t" + hex(name)}), "ok\n") << name;
  }
}

}  // namespace
