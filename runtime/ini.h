// GETINI: one value from a profile (INI) file, or from the system profile
// when no file is named. A missing file, section or entry gives the default.
#pragma once

#include <cstdint>
#include <string_view>

namespace rt {

// Each argument is clipped and cut to these sizes before the lookup.
inline constexpr uint32_t kIniSectionMax = 63;
inline constexpr uint32_t kIniEntryMax = 63;
inline constexpr uint32_t kIniDefaultMax = 1023;
inline constexpr uint32_t kIniFileMax = 259;
inline constexpr uint32_t kIniValueMax = 1023;

// Writes the value (at most kIniValueMax bytes) to `out` and returns its
// length.
uint32_t read_ini(std::string_view section, std::string_view entry, std::string_view fallback,
                  std::string_view file, char* out);

// GETINI(section, entry, default, file) on the string stack: the arguments
// pushed in that order (file on top) are popped, the value pushed.
void GETINI();

}  // namespace rt
