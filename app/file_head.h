// The first bytes of a file, by which its kind is told.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace app {

inline constexpr size_t kFileHeadSize = 32;
using FileHead = unsigned char[kFileHeadSize];

// Reads up to kFileHeadSize bytes from the start of `path` into `head`; the
// bytes read, none when the file cannot be read. The runtime's error state
// is left as it was.
std::span<const unsigned char> read_file_head(std::string_view path, FileHead& head);

}  // namespace app
