#include "cli/options.h"

#include <gtest/gtest.h>

namespace {

std::optional<cli::Refusal> parse(std::vector<const char*> args, cli::Options& options) {
  args.insert(args.begin(), "msgmake");
  return cli::parse_options(static_cast<int>(args.size()), args.data(), options);
}

TEST(options_test, long_and_short_forms_fill_the_options) {
  cli::Options o;
  const auto refusal = parse({"-o", "m.eml", "--to=a@x", "-t", "b@y", "-cc@z", "--subject", "Hi", "--html", "b.html",
                              "-a", "one.pdf", "-i", "p.gif", "--loop", "FOREVER", "-p", "High", "--background",
                              "#0000ff", "--font-colour", "#102030", "--font-size", "7", "two.csv", "--", "-three"},
                             o);
  ASSERT_FALSE(refusal) << refusal->message;
  EXPECT_EQ(o.output, "m.eml");
  EXPECT_EQ(o.to, (std::vector<std::string>{"a@x", "b@y"}));
  EXPECT_EQ(o.cc, (std::vector<std::string>{"c@z"}));
  EXPECT_EQ(o.subject, "Hi");
  EXPECT_EQ(o.body_file, "b.html");
  EXPECT_TRUE(o.html);
  EXPECT_EQ(o.attachments, (std::vector<std::string>{"one.pdf", "two.csv", "-three"}));
  EXPECT_EQ(o.pictures, (std::vector<std::string>{"p.gif"}));
  EXPECT_EQ(o.loop, "Forever");
  EXPECT_EQ(o.priority, "High");
  EXPECT_EQ(o.background, 0xFF0000);  // blue in the high byte
  EXPECT_EQ(o.font_color, 0x10 + 0x20 * 256 + 0x30 * 65536);
  EXPECT_EQ(o.font_size, 7);
  ASSERT_FALSE(parse({"-o", "m", "--text", "b.txt", "--charset", "cp1252"}, o));
  EXPECT_EQ(o.charset, "WINDOWS-1252");  // as the body reader names it
}

TEST(options_test, defaults_match_the_help_text) {
  cli::Options o;
  ASSERT_FALSE(parse({"-o", "m.eml"}, o));
  EXPECT_EQ(o.loop, "Once");
  EXPECT_EQ(o.priority, "Normal");
  EXPECT_EQ(o.background, 0xFFFFFF);
  EXPECT_EQ(o.font, "");  // the body's own: monospace for a text, Arial for HTML
  EXPECT_EQ(o.font_color, 0);
  EXPECT_EQ(o.font_size, 3);
  EXPECT_TRUE(o.body_file.empty());
}

TEST(options_test, refusals_carry_their_exit_code) {
  const struct {
    std::vector<const char*> args;
    int exit_code;
    const char* names;  // a word the message must hold
  } cases[] = {
      {{"-o", "m.eml", "--bogus"}, 64, "--bogus"},
      {{"-o"}, 64, "--output"},
      {{"-t", "a@x"}, 64, "-o FILE"},
      {{"-o", "m", "--loop", "6"}, 64, "--loop"},
      {{"-o", "m", "-p", "urgent"}, 64, "--priority"},
      {{"-o", "m", "--background", "red"}, 64, "--background"},
      {{"-o", "m", "--font-color", "#12345"}, 64, "--font-color"},
      {{"-o", "m", "--font-size", "0"}, 64, "--font-size"},
      {{"-o", "m", "--text", "a", "--html", "b"}, 64, "--html"},
      {{"-o", "-", "--json"}, 64, "--json needs a draft in a file"},
      {{"-o", "m", "--json", "--dry-run"}, 64, "--dry-run"},
      {{"-o", "m", "--markdown", "a", "--html", "b"}, 64, "--markdown"},
      {{"-o", "m", "--text", "a", "--charset", "klingon"}, 64, "--charset"},
      {{"-o", "m", "--charset", "latin1"}, 64, "--charset"},
      {{"-o", "m", "-s", "caf\xE9"}, 65, "--subject"},
      {{"-o", "m", "x\xFF.pdf"}, 65, "file"},
  };
  for (const auto& c : cases) {
    cli::Options o;
    const auto refusal = parse(c.args, o);
    ASSERT_TRUE(refusal) << c.names;
    EXPECT_EQ(refusal->exit_code, c.exit_code) << c.names;
    EXPECT_NE(refusal->message.find(c.names), std::string::npos) << refusal->message;
    EXPECT_EQ(refusal->message.find('\n'), std::string::npos) << refusal->message;
  }
}

// An unknown long option is named with the nearest known one when a few
// letters would make it that one; a word far from all of them is only named.
TEST(options_test, an_unknown_option_suggests_the_nearest) {
  const struct {
    const char* typed;
    const char* suggested;  // nullptr: no suggestion
  } cases[] = {
      {"--txt", "--text"},       {"--atach", "--attach"},   {"--subjet=Hi", "--subject"},
      {"--form", "--from"},      {"--font-colr", "--font-color"}, {"--Html", "--html"},
      {"--prio", nullptr},       {"--bogus", nullptr},      {"--colour", nullptr},
  };
  for (const auto& c : cases) {
    cli::Options o;
    const auto refusal = parse({"-o", "m.eml", c.typed, "x"}, o);
    ASSERT_TRUE(refusal) << c.typed;
    EXPECT_EQ(refusal->exit_code, 64) << c.typed;
    const std::string& said = refusal->message;
    if (c.suggested != nullptr)
      EXPECT_NE(said.find(std::string("(did you mean '") + c.suggested + "'?)"), std::string::npos) << said;
    else
      EXPECT_EQ(said.find("did you mean"), std::string::npos) << said;
    EXPECT_NE(said.find(std::string(c.typed).substr(0, std::string(c.typed).find('='))), std::string::npos) << said;
  }
}

TEST(options_test, sender_and_fields_of_ones_own_are_taken_in_order) {
  using Fields = std::vector<app::HeaderField>;
  const struct {
    std::vector<const char*> args;
    std::string from;
    std::vector<std::string> reply_to;
    Fields headers;
  } cases[] = {
      {{"--from", "Ann <ann@x.org>"}, "Ann <ann@x.org>", {}, {}},
      {{"--from=a@x", "--from", "b@y"}, "b@y", {}, {}},  // the last one counts, as for -s
      {{"--reply-to", "a@x, \"Doe, J\" <j@y>", "--reply-to=c@z"}, "", {"a@x, \"Doe, J\" <j@y>", "c@z"}, {}},
      {{"--header", "X-Tracking: 42", "--header=Organization:Gr\xC3\xBC\xC3\x9F" "e"},
       "",
       {},
       {{"X-Tracking", "42"}, {"Organization", "Gr\xC3\xBC\xC3\x9F" "e"}}},
      {{"--header", "X-Empty:", "--header", "X-Spaced: \t a: b \t"}, "", {}, {{"X-Empty", ""}, {"X-Spaced", "a: b"}}},
      {{"--header", "Comments: one", "--header", "Comments: two"}, "", {}, {{"Comments", "one"}, {"Comments", "two"}}},
  };
  for (const auto& c : cases) {
    cli::Options o;
    std::vector<const char*> args = {"-o", "m.eml"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto refusal = parse(args, o);
    ASSERT_FALSE(refusal) << refusal->message;
    EXPECT_EQ(o.from, c.from) << c.from;
    EXPECT_EQ(o.reply_to, c.reply_to) << c.from;
    ASSERT_EQ(o.headers.size(), c.headers.size()) << c.from;
    for (size_t i = 0; i < c.headers.size(); ++i) {
      EXPECT_EQ(o.headers[i].name, c.headers[i].name);
      EXPECT_EQ(o.headers[i].value, c.headers[i].value);
    }
  }
}

TEST(options_test, fields_msgmake_writes_bad_names_and_addresses_that_cannot_be_sent_to_are_refused) {
  // "Name:" must fit a header line of 78 bytes.
  const std::string longest_name = std::string(77, 'n') + ": v";
  const std::string too_long_name = std::string(78, 'n') + ": v";
  cli::Options fits;
  EXPECT_FALSE(parse({"-o", "m", "--header", longest_name.c_str()}, fits));
  const struct {
    std::vector<const char*> args;
    int exit_code;
    const char* says;
  } cases[] = {
      {{"--header", "X-Tracking 42"}, 64, "'Name: value'"},
      {{"--header", "X Tracking: 42"}, 64, "'X Tracking' is not a field name"},
      {{"--header", ": 42"}, 64, "'' is not a field name"},
      {{"--header", "Gr\xC3\xBC\xC3\x9F" "e: 42"}, 64, "is not a field name"},
      {{"--header", too_long_name.c_str()}, 64, "is longer than 77 bytes"},
      {{"--header", "From: a@x"}, 64, "'From' header"},
      {{"--header", "reply-to: a@x"}, 64, "'reply-to' header"},
      {{"--header", "TO: a@x"}, 64, "'TO' header"},
      {{"--header", "Subject: hi"}, 64, "'Subject' header"},
      {{"--header", "Date: today"}, 64, "'Date' header"},
      {{"--header", "MIME-Version: 2.0"}, 64, "'MIME-Version' header"},
      {{"--header", "content-transfer-encoding: 8bit"}, 64, "'content-transfer-encoding' header"},
      {{"--header", "X-Priority: 1"}, 64, "'X-Priority' header"},
      {{"--header", "X-MSMail-Priority: High"}, 64, "'X-MSMail-Priority' header"},
      {{"--header", "X-Unsent: 0"}, 64, "'X-Unsent' header"},
      {{"--header", "X-MimeOLE: x"}, 64, "'X-MimeOLE' header"},
      {{"--header", "X-Note: caf\xE9"}, 65, "--header"},
      {{"--from", "a@x, b@y"}, 64, "--from takes one address"},
      {{"-t", "not an address"}, 65, "'not an address' of --to"},
      {{"-t", "a@x, Bob"}, 65, "'Bob' of --to"},
      {{"-c", "Ann <ann>"}, 65, "'Ann <ann>' of --cc"},
      {{"-b", "\"ann@home\""}, 65, "of --bcc"},
      {{"--from", "Ann"}, 65, "'Ann' of --from"},
      {{"--reply-to", "a@x", "--reply-to", "Ann@home <>"}, 65, "'Ann@home <>' of --reply-to"},
      {{"-t", "ann@"}, 65, "'ann@' of --to has no domain after its '@'"},
      {{"-t", "@example.com"}, 65, "'@example.com' of --to has nothing before its '@'"},
      {{"-t", "ann@example.com;bob@example.com"}, 65, "holds a ';': addresses are separated by commas"},
      {{"-c", "<ann@example.com"}, 65, "'<ann@example.com' of --cc has a '<' without its '>'"},
      {{"-t", "j\xC3\xB6rg@example.com"}, 65, "has characters beyond ASCII before its '@'"},
  };
  for (const auto& c : cases) {
    cli::Options o;
    std::vector<const char*> args = {"-o", "m"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto refusal = parse(args, o);
    ASSERT_TRUE(refusal) << c.says;
    EXPECT_EQ(refusal->exit_code, c.exit_code) << refusal->message;
    EXPECT_NE(refusal->message.find(c.says), std::string::npos) << refusal->message;
  }
}

TEST(options_test, help_and_version_need_nothing_else) {
  cli::Options o;
  ASSERT_FALSE(parse({"--help"}, o));
  EXPECT_TRUE(o.help);
  ASSERT_FALSE(parse({"--version"}, o));
  EXPECT_TRUE(o.version);
}

TEST(options_test, colours_and_words) {
  EXPECT_EQ(cli::parse_color("#FF0000"), 255);
  EXPECT_EQ(cli::parse_color("#00fF00"), 255 * 256);
  EXPECT_EQ(cli::parse_color("#000000"), 0);
  for (const char* bad : {"FF0000", "#FF00", "#GG0000", "#FF00000"}) EXPECT_FALSE(cli::parse_color(bad)) << bad;
  EXPECT_EQ(cli::loop_choice("Twice"), "Twice");
  EXPECT_EQ(cli::loop_choice("3"), "3 times");
  EXPECT_FALSE(cli::loop_choice("three"));
  EXPECT_EQ(cli::priority_choice("LOW"), "Low");
}

}  // namespace
