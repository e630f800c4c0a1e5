// The files the options name to embed or attach, checked for reading before
// anything is written, so that a missing one leaves every existing file
// untouched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

// The name that stands for standard input, and as the draft to write for
// standard output.
inline constexpr std::string_view kStandardInput = "-";
inline constexpr std::string_view kStandardOutput = "-";

// 0 when the file can be opened for reading, else the runtime's error code.
int32_t check_readable(std::string_view name);

}  // namespace cli
