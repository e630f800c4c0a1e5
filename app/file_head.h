// What the bytes of a file tell of its kind.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace mime {
class ContentScan;
}

namespace app {

// Enough for an SVG picture's XML declaration and doctype before its <svg>.
inline constexpr size_t kFileHeadSize = 256;
using FileHead = unsigned char[kFileHeadSize];

// Reads up to kFileHeadSize bytes from the start of `path` into `head`; the
// bytes read, none when the file cannot be read. The runtime's error state
// is left as it was.
std::span<const unsigned char> read_file_head(std::string_view path, FileHead& head);

// Puts the whole file through `scan`, others denied writing; false when it
// cannot be read, or changed all the same while it was read (the platform's
// last error tells why).
bool scan_file(std::string_view path, mime::ContentScan& scan);

}  // namespace app
