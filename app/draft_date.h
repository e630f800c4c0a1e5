// The draft's Date header: the time the draft is made, as mail carries it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// The day-and-time form of a mail date, "Mon, 07 Dec 2026 19:45:34 +0100":
// `unix_seconds` since 1970 in UTC, shown at `offset_minutes` east of UTC.
std::string mail_date(int64_t unix_seconds, int32_t offset_minutes);

// The time a SOURCE_DATE_EPOCH text names (the reproducible-builds
// convention): a whole number of seconds since 1970, up to the last second
// of the year 9999, the last a Date header can show; nothing for any other
// text.
std::optional<int64_t> source_date_epoch(std::string_view text);

// The line that refuses the run when SOURCE_DATE_EPOCH is set (not empty)
// to a text that names no such time, as the convention asks: a draft made
// for the same bytes must not silently take the clock's time instead.
std::optional<std::string> source_date_epoch_fault();

// The Date header's value for a draft made now: the local time with its
// offset, or the time SOURCE_DATE_EPOCH names, in UTC, when it is set.
std::string draft_date();

}  // namespace app
