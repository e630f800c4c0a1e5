// The plain-text part: the text of the HTML body, for readers and clients
// that show plain text.
#pragma once

#include <string>
#include <vector>

namespace app {

// The text of the body lines (GBQ), read as the HTML part carries
// them: quoted-printable Windows-1252, each line followed by its break. Out
// as UTF-8 quoted-printable lines.
std::vector<std::string> plain_text_lines();

}  // namespace app
