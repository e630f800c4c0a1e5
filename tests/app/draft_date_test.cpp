// The Date header's form, and the fixed time a build can ask for.
#include "app/draft_date.h"

#include <gtest/gtest.h>

#include "tests/app/draft_harness.h"

TEST(draft_date_test, mail_date_shows_the_instant_at_its_offset) {
  struct Case {
    int64_t seconds;
    int32_t offset_minutes;
    const char* want;
  };
  const Case cases[] = {
      {0, 0, "Thu, 01 Jan 1970 00:00:00 +0000"},
      {951782400, 330, "Tue, 29 Feb 2000 05:30:00 +0530"},  // a leap day, half-hour zone
      {1796126400, -480, "Tue, 01 Dec 2026 04:00:00 -0800"},
      {4107542399, 0, "Sun, 28 Feb 2100 23:59:59 +0000"},  // 2100 is no leap year
      {1798761599, -1, "Thu, 31 Dec 2026 23:58:59 -0001"},
      {-86400, 60, "Wed, 31 Dec 1969 01:00:00 +0100"},  // before 1970
  };
  for (const Case& c : cases) EXPECT_EQ(app::mail_date(c.seconds, c.offset_minutes), c.want) << c.seconds;
}

TEST(draft_date_test, source_date_epoch_takes_whole_seconds_only) {
  const std::pair<const char*, std::optional<int64_t>> cases[] = {
      {"1796126400", 1796126400}, {"0", 0}, {"", std::nullopt}, {"-5", std::nullopt},
      {"12a", std::nullopt},      {" 1", std::nullopt},         {"1.5", std::nullopt},
      {"9999999999999999", std::nullopt}, {"253402300799", 253402300799}, {"253402300800", std::nullopt},
      {"0001", 1},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(app::source_date_epoch(text), want) << text;
}

#ifndef _WIN32
// A SOURCE_DATE_EPOCH that names no time a Date header can show refuses the
// run (64) before anything is written; an empty one counts as unset.
TEST(draft_date_test, a_source_date_epoch_that_names_no_time_refuses_the_run) {
  using namespace draft_harness;
  const struct {
    const char* value;
    int exit_code;
  } cases[] = {{"abc", 64}, {"-1", 64}, {"1.5", 64}, {"253402300800", 64}, {"253402300799", 0}, {"", 0}};
  for (const auto& c : cases) {
    TempFolder dir;
    const RunResult run = run_msgmake_args(dir.path(), {argument_text(Call{})}, {}, "",
                                           "env SOURCE_DATE_EPOCH=" + shell_quote(c.value));
    EXPECT_EQ(run.exit_code, c.exit_code) << c.value << ": " << run.err;
    EXPECT_EQ(std::filesystem::exists(dir / "m.eml"), c.exit_code == 0) << c.value;
    if (c.exit_code == 0) continue;
    EXPECT_EQ(run.err, "msgmake: SOURCE_DATE_EPOCH is '" + std::string(c.value) +
                           "', not a whole number of seconds from 0 to 253402300799; nothing was written\n");
  }
  TempFolder dir;
  run_msgmake_args(dir.path(), {argument_text(Call{})}, {}, "", "env SOURCE_DATE_EPOCH=253402300799");
  EXPECT_NE(read_bytes(dir / "m.eml").find("\r\nDate: Fri, 31 Dec 9999 23:59:59 +0000\r\n"), std::string::npos);
}
#endif
