// The names that stand for the standard streams.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

// The name that stands for standard input, and as the draft to write for
// standard output.
inline constexpr std::string_view kStandardInput = "-";
inline constexpr std::string_view kStandardOutput = "-";

}  // namespace cli
