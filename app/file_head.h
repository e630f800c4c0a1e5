// What the bytes of a file tell of its kind.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace app {

inline constexpr size_t kFileHeadSize = 32;
using FileHead = unsigned char[kFileHeadSize];

// Reads up to kFileHeadSize bytes from the start of `path` into `head`; the
// bytes read, none when the file cannot be read. The runtime's error state
// is left as it was.
std::span<const unsigned char> read_file_head(std::string_view path, FileHead& head);

// Whether the file holds a CR byte anywhere; nothing when it cannot be read
// (the platform's last error tells why). Readers convert the line ends of a
// text part to their own, so a text file with CR bytes is labelled as bytes
// to keep them as they are.
std::optional<bool> file_holds_carriage_return(std::string_view path);

}  // namespace app
