#include "runtime/locale.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "services/error_state.h"

namespace {

using namespace rt;

class locale_test : public testing::Test {
 protected:
  void SetUp() override { locale().reset(); }
  void TearDown() override { locale().reset(); }

  // The layout as text: digit positions by field letter (upper case for a
  // space fill), N for a month letter, P for AM/PM, '_' for a space token,
  // literals as themselves.
  static inline const std::map<uint8_t, std::pair<char, char>> kLetters = {
      {LAYOUT_MONTH_DIGIT, {'m', 'M'}},  {LAYOUT_DAY_DIGIT, {'d', 'D'}},
      {LAYOUT_YEAR_DIGIT, {'y', 'y'}},   {LAYOUT_MONTH_LETTER, {'N', 'N'}},
      {LAYOUT_HOUR_DIGIT, {'h', 'H'}},   {LAYOUT_MINUTE_DIGIT, {'n', 'n'}},
      {LAYOUT_SECOND_DIGIT, {'s', 's'}}, {LAYOUT_AMPM, {'P', 'P'}},
      {LAYOUT_SPACE, {'_', '_'}},
  };
  static std::string form(const SystemLayout& layout) {
    std::string s;
    for (uint32_t i = 0; i < layout.count; ++i) {
      const LayoutToken& t = layout.tokens[i];
      auto letters = kLetters.find(t.code);
      if (letters == kLetters.end()) {
        s += t.ch;
      } else {
        s += t.ch == '0' ? letters->second.first : letters->second.second;
      }
    }
    return s;
  }
};

TEST_F(locale_test, initial_tables) {
  Locale& loc = locale();
  for (int b = 0; b < 256; ++b) ASSERT_EQ(loc.weight(static_cast<uint8_t>(b)), b);
  EXPECT_EQ(loc.to_upper('q'), 'Q');
  EXPECT_EQ(loc.to_lower('Q'), 'q');
  EXPECT_EQ(loc.to_upper(0xE9), 0xE9);
  EXPECT_TRUE(loc.is_upper('A'));
  EXPECT_FALSE(loc.is_upper('a'));
  EXPECT_TRUE(loc.is_alnum('7'));
  EXPECT_FALSE(loc.is_alnum('-'));
  EXPECT_STREQ(loc.month_name(9), "September");
  EXPECT_STREQ(loc.month_abbrev(12), "Dec");
  EXPECT_STREQ(loc.month_name(13), "");
  EXPECT_STREQ(loc.am_text(), "AM");
  EXPECT_STREQ(loc.pm_text(), "PM");
  EXPECT_FALSE(loc.digraphs_in_use());
  EXPECT_EQ(loc.collate('a', 'b'), -1);
}

TEST_F(locale_test, collating_sequence_of_222_printable_characters) {
  // All printable characters, reversed: the first 95 take 32..126, the other
  // 127 take 128..254.
  std::string printable;
  for (int b = 32; b <= 126; ++b) printable += static_cast<char>(b);
  for (int b = 128; b <= 254; ++b) printable += static_cast<char>(b);
  std::string sequence(printable.rbegin(), printable.rend());
  ASSERT_EQ(sequence.size(), 222u);
  locale().apply_collating_sequence(sequence.data(), 222, false);
  EXPECT_EQ(locale().weight(254), 32);
  EXPECT_EQ(locale().weight(' '), 254);
  EXPECT_EQ(locale().weight(0), 0);
  EXPECT_EQ(locale().weight(127), 127);
  EXPECT_EQ(locale().weight(255), 255);
  EXPECT_EQ(locale().weight_oem(254), 254);  // the other table is untouched
}

TEST_F(locale_test, collating_sequence_with_repeats_shares_own_weights) {
  locale().apply_collating_sequence("cabca", 5, false);
  EXPECT_EQ(locale().weight('c'), 'a');
  EXPECT_EQ(locale().weight('a'), 'b');
  EXPECT_EQ(locale().weight('b'), 'c');
  EXPECT_EQ(locale().weight('d'), 'd');
}

TEST_F(locale_test, case_pairs_only_above_127) {
  locale().apply_case_pairs("\xC0\xC9Z", 3, "\xE0\xE9z", 3);
  EXPECT_EQ(locale().to_upper(0xE9), 0xC9);
  EXPECT_EQ(locale().to_lower(0xC0), 0xE0);
  EXPECT_EQ(locale().char_class(0xE9), kClassLower);
  EXPECT_EQ(locale().to_upper('z'), 'Z');  // ASCII pairs kept as they were
  locale().apply_case_pairs("", 0, "", 0);
  EXPECT_EQ(locale().to_upper(0xE9), 0xE9);  // cleared before pairing
}

TEST_F(locale_test, message_overrides_replace_or_add) {
  Locale& loc = locale();
  EXPECT_EQ(loc.message_override(5), nullptr);
  loc.set_message_override(5, "Zugriff verweigert", 18);
  loc.set_message_override(6, "six", 3);
  loc.set_message_override(5, "again", 5);
  EXPECT_STREQ(loc.message_override(5), "again");
  EXPECT_STREQ(loc.message_override(6), "six");
  loc.reset();
  EXPECT_EQ(loc.message_override(5), nullptr);
}

TEST_F(locale_test, month_names_and_am_pm_are_cut) {
  Locale& loc = locale();
  loc.set_month_name(1, "Januarius-Longissimus", 21);
  EXPECT_STREQ(loc.month_name(1), "Januarius-Lo");
  loc.set_month_abbrev(2, "Febr", 4);
  EXPECT_STREQ(loc.month_abbrev(2), "Feb");
  loc.set_am_text("vorm.", 5);
  EXPECT_STREQ(loc.am_text(), "vo");
  loc.set_month_name(0, "x", 1);  // out of range: ignored
  loc.set_month_name(13, "x", 1);
}

TEST_F(locale_test, digraph_table_is_cut_at_sixteen_entries) {
  std::string groups;
  for (int i = 0; i < 20; ++i) groups += std::string(1, static_cast<char>(0xC0 + i)) + "xy";
  locale().set_digraphs(groups.data(), 20);
  EXPECT_NE(locale().digraph_of(0xCF), nullptr);
  EXPECT_EQ(locale().digraph_of(0xD0), nullptr);
  EXPECT_EQ(locale().digraphs()[15].nul, '\0');
}

TEST_F(locale_test, default_layouts) {
  Locale& loc = locale();
  EXPECT_EQ(form(loc.short_date_layout()), "mm/dd/yy");
  EXPECT_EQ(form(loc.long_date_layout()), "NNNNNNNNN_dd, yyyy");
  EXPECT_EQ(form(loc.short_time_layout()), "hh:nn_PP");
  EXPECT_EQ(form(loc.long_time_layout()), "hh:nn:ss_PP");
}

TEST_F(locale_test, short_date_layouts_from_pattern) {
  Locale& loc = locale();
  loc.build_short_date_layout("dd.MM.yyyy");
  EXPECT_EQ(loc.short_date_layout().order, DateOrder::day_month_year);
  EXPECT_EQ(form(loc.short_date_layout()), "dd.mm.yyyy");
  loc.build_short_date_layout("M/d/yy");
  EXPECT_EQ(loc.short_date_layout().order, DateOrder::month_day_year);
  EXPECT_EQ(form(loc.short_date_layout()), "Mm/Dd/yy");
  loc.build_short_date_layout("yyyy-MM-dd");
  EXPECT_EQ(form(loc.short_date_layout()), "yyyy-mm-dd");
  loc.build_short_date_layout("yy");
  EXPECT_EQ(form(loc.short_date_layout()), "yy/Mm/Dd");
}

TEST_F(locale_test, long_date_layouts_from_pattern) {
  Locale& loc = locale();
  loc.build_long_date_layout("dddd, d. MMMM yyyy");
  EXPECT_EQ(loc.long_date_layout().order, DateOrder::day_month_year);
  // The day field is taken from the day-of-week run; its separator follows it.
  EXPECT_EQ(form(loc.long_date_layout()), "dd, NNNNNNNNN_yyyy");
  loc.build_long_date_layout("yyyy'年'M'月'd'日'");
  EXPECT_EQ(loc.long_date_layout().order, DateOrder::year_month_day);
  EXPECT_EQ(form(loc.long_date_layout()), "yyyy年Mm月Dd日");
  loc.build_long_date_layout("d MMM yy 'o''clock'");
  EXPECT_EQ(form(loc.long_date_layout()), "Dd NNN_yy o'clock");
  loc.build_long_date_layout("'no fields'");
  EXPECT_EQ(form(loc.long_date_layout()), "NNNNNNNNN_dd, yyyy");
}

TEST_F(locale_test, time_layouts_for_24_hour_clock_and_space_fill) {
  IntlSettings intl;
  intl.time_format = 1;
  intl.hour_zero = 0;
  intl.time_separator = '.';
  locale().build_time_layouts(intl);
  EXPECT_EQ(form(locale().short_time_layout()), "Hh.nn");
  EXPECT_EQ(form(locale().long_time_layout()), "Hh.nn.ss");
}

TEST_F(locale_test, initialise_clears_the_error_and_runs_once) {
  svc::error_state().post(svc::err::file_not_found);
  locale().initialise();
  EXPECT_EQ(svc::error_state().code(), 0);
  locale().set_month_name(1, "Kept", 4);
  locale().initialise();
  EXPECT_STREQ(locale().month_name(1), "Kept");
}

TEST_F(locale_test, error_table_uses_overrides) {
  locale().initialise();
  locale().set_message_override(2, "Datei fehlt", 11);
  EXPECT_EQ(svc::error_state().message_of(svc::err::file_not_found).view(), "Datei fehlt");
  svc::error_state().reset();
}

}  // namespace
