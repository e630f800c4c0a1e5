#include "mime/header_policy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
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
  // A folder of this call's own: two runs of the suite never share it.
  std::random_device seed;
  std::filesystem::path folder;
  do folder = std::filesystem::temp_directory_path() / ("msgmake_header_policy_" + std::to_string(seed()));
  while (!std::filesystem::create_directory(folder));
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
      {"line ends are spaces", "a\rb\r\nc\n", {"Subject: a b  c "}},
      {"line end beside text beyond ascii", "\xC3\xA9\r\n", {"Subject: =?UTF-8?B?w6kgIA==?="}},
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

TEST(header_policy_test, a_long_token_goes_on_a_line_of_its_own_where_that_keeps_it_within_78_bytes) {
  const std::string xlsx = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet;";
  const std::string x = "application/x-" + repeat("x", 74);
  const struct {
    std::string value;
    HeaderLines lines;
  } cases[] = {
      {"application/pdf;", {"Content-Type: application/pdf;"}},
      {xlsx, {"Content-Type:", "    " + xlsx}},
      {x, {"Content-Type: " + x}},  // too long for any line
  };
  for (const auto& c : cases) EXPECT_EQ(mime::token_header("Content-Type", c.value), c.lines) << c.value;
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

// What keeps an address from being sent to; "" for an address that can be.
TEST(header_policy_test, an_address_is_refused_with_what_keeps_it_from_being_sent) {
  const struct {
    const char* address;
    const char* fault;
  } cases[] = {
      {"ann@example.com", ""},
      {"Ann Lee <ann@example.com>", ""},
      {"\"a,b\"@x.com", ""},
      {"\"ann lee\"@example.com", ""},
      {"ann@example.com (Ann)", ""},
      {"Ann <ann@example.com> (work)", ""},
      {"\"Ann @ home\" <ann@example.com>", ""},
      {"Ann@home <a@x>", ""},
      {"ann@[192.0.2.1]", ""},
      {"ann@localhost", ""},
      {"J\xC3\xB6rg <j@b\xC3\xBC" "cher.example>", ""},
      {"not an address", "has no domain: an address is name@domain"},
      {"Ann <>", "has no domain: an address is name@domain"},
      {"Ann@home <ann>", "has no domain: an address is name@domain"},
      {"\"ann@home\"", "has no domain: an address is name@domain"},
      {"ann (ann@example.com)", "has no domain: an address is name@domain"},
      {"ann@", "has no domain after its '@'"},
      {"@example.com", "has nothing before its '@'"},
      {"ann@example.com;bob@example.com", "holds a ';': addresses are separated by commas"},
      {"<ann@example.com", "has a '<' without its '>'"},
      {"ann@example.com>", "has a '>' without its '<'"},
      {"Ann <a <ann@x>>", "has a '<' inside its '<...>'"},
      {"Ann <ann@x> bob@y", "has text after its '>'"},
      {"\"Ann <ann@x>", "has a '\"' without its closing '\"'"},
      {"Ann (home <ann@x>", "has a '(' without its ')'"},
      {"ann@x.com extra", "has text after its domain"},
      {"ann@home@x.com", "has more than one '@' outside quotes"},
      {"Ann Lee ann@x.com", "has a blank or a special character before its '@' (a display name goes before <name@domain>)"},
      {"j\xC3\xB6rg@example.com", "has characters beyond ASCII before its '@', which mail cannot carry there"},
      {"ann@example..com", "has an empty label (two dots, or a dot at an end) in its domain"},
      {"ann@example.com.", "has an empty label (two dots, or a dot at an end) in its domain"},
      {"ann@exa mple.com", "has text after its domain"},
      {"<ann@exa mple.com>", "has a blank or a special character in its domain"},
      {"ann@[192.0.2.1", "has a domain in brackets that is not one"},
      {"ann@ex\xEF\xBF\xBD" "ample.com", "has a domain that is no valid internationalised domain name"},
      {"ann@example.com (J\xC3\xB6rg)", "has characters beyond ASCII outside its display name and domain"},
      {"a@x.org\r\nBcc: e@y", "has more than one '@' outside quotes"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(mime::address_fault(c.address).value_or(""), c.fault) << c.address;
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
      {"ann@b\xC3\xBC" "cher.example, J\xC3\xB6rg <j@M\xC3\xBC" "nchen.example>",
       {"To: ann@xn--bcher-kva.example,", "    =?UTF-8?B?SsO2cmc=?= <j@xn--mnchen-3ya.example>"}},
      {"<a@\xE6\x97\xA5\xE6\x9C\xAC.example> (home)", {"To: <a@xn--wgv71a.example> (home)"}},
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
  EXPECT_EQ(mime::filename_parameter("50% \xC3\xBC.pdf"), HeaderLines{"    filename*=UTF-8''50%25%20%C3%BC.pdf"});
  const HeaderLines sections = mime::filename_parameter(repeat("\xC3\xA9", 30));  // 180 bytes encoded
  EXPECT_EQ(sections, (HeaderLines{"    filename*0*=UTF-8''" + repeat("%C3%A9", 9) + ";",
                                   "    filename*1*=" + repeat("%C3%A9", 10) + ";",
                                   "    filename*2*=" + repeat("%C3%A9", 10) + ";",
                                   "    filename*3*=%C3%A9"}));
}

// A quoted string is never folded, and no section of a name ends in an
// encoded blank, which some readers drop.
TEST(header_policy_test, file_names_keep_quotes_on_one_line_and_blanks_inside_sections) {
  const std::string e = "\xC3\xA9";
  const struct {
    const char* label;
    std::string name;
    bool within_limit;  // a run of blanks longer than a line passes it
  } cases[] = {
      {"blank at a section's end", repeat(e, 8) + "a " + repeat(e, 20), true},
      {"tab at a section's end", repeat(e, 8) + "a\t" + repeat(e, 20), true},
      {"a run of blanks longer than a line", e + std::string(40, ' ') + e, false},
      {"blanks at the end", repeat(e, 20) + "   ", true},
      {"words longer than a line", repeat(e, 30), true},
  };
  for (const auto& c : cases) {
    HeaderLines lines = mime::name_parameter(c.name);
    append(lines, mime::filename_parameter(c.name));
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      if (line.find("=\"") != std::string::npos) {
        EXPECT_EQ(line.back(), '"') << c.label << ": " << line;
      }
      if (line.back() == ';') {
        const std::string end = line.substr(line.size() - 4, 3);
        EXPECT_TRUE(end != "%20" && end != "%09") << c.label << ": " << line;
      }
      if (c.within_limit) {
        EXPECT_LE(line.size(), mime::kHeaderLineLimit) << c.label << ": " << line;
      }
    }
  }
  const HeaderLines blank_moved = mime::filename_parameter(cases[0].name);
  ASSERT_GE(blank_moved.size(), 2u);
  EXPECT_EQ(blank_moved[0], "    filename*0*=UTF-8''" + repeat("%C3%A9", 8) + "a;");
  EXPECT_EQ(blank_moved[1].rfind("    filename*1*=%20%C3%A9", 0), 0u) << blank_moved[1];
  EXPECT_EQ(mime::name_parameter(repeat(e, 30))[0], "    name*0*=UTF-8''" + repeat("%C3%A9", 9) + ";");
}

TEST(header_policy_test, python_reads_back_file_names) {
  const std::string names[] = {"\xC3\x9C" "bersicht M\xC3\xA4rz.pdf",
                               repeat("\xE5\xA0\xB1\xE5\x91\x8A", 40) + ".docx",
                               repeat("\xF0\x9F\x93\x8E", 50),
                               "a \"b\"\\c.txt",
                               "tab\there.txt",
                               "50% \xC3\xBC.pdf",
                               repeat("\xC3\xA9", 8) + "a " + repeat("\xC3\xA9", 20),
                               "\xC3\xA9" + std::string(40, ' ') + "\xC3\xA9"};
  for (const std::string& name : names) {
    HeaderLines message = {"MIME-Version: 1.0", "Content-Type: application/octet-stream;"};
    append(message, mime::name_parameter(name));
    message.push_back("Content-Disposition: attachment;");
    append(message, mime::filename_parameter(name));
    for (const std::string& line : message) {  // but a run of blanks longer than a line
      if (line.find("%20%20%20%20") == std::string::npos) {
        EXPECT_LE(line.size(), mime::kHeaderLineLimit) << line;
      }
    }
    EXPECT_EQ(python_reads(message, {"name\t" + hex(name), "filename\t" + hex(name)}), "ok\n") << name;
  }
}

}  // namespace
