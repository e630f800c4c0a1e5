// The header block of a part that carries a file: its type, its file's name,
// the content id it is referenced by, how it is shown and how its bytes are
// carried.
#pragma once

#include <string_view>

namespace app {

enum class Disposition { none, inline_part, attachment };

struct PartHeader {
  std::string_view type;        // "image/png"
  std::string_view name;        // the file's base name, UTF-8; empty for none
  std::string_view content_id;  // without its angle brackets; empty for none
  Disposition disposition = Disposition::none;
  std::string_view encoding = "base64";
};

// Writes the header lines and the empty line that ends them. Every line is
// 7-bit: a name beyond ASCII is carried encoded.
void write_part_headers(const PartHeader& part);

}  // namespace app
