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

// The value of SOURCE_DATE_EPOCH (a whole number of seconds since 1970, the
// reproducible-builds convention), when it is set and well formed.
std::optional<int64_t> source_date_epoch(std::string_view text);

// The Date header's value for a draft made now: the local time with its
// offset, or the time SOURCE_DATE_EPOCH names, in UTC, when it is set.
std::string draft_date();

}  // namespace app
