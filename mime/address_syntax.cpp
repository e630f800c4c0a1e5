#include "mime/address_syntax.h"

namespace mime {

namespace {

// Where the scanner stands after each byte.
struct ScanState {
  bool quoted = false;
  int comments = 0;  // open comments, which nest
  bool angle = false;
  bool top() const { return !quoted && comments == 0 && !angle; }
};

// Moves the state over the byte at `at`; returns the bytes consumed (two for
// a quoted pair inside quotes or a comment).
size_t step(ScanState& s, std::string_view text, size_t at) {
  const char c = text[at];
  if ((s.quoted || s.comments > 0) && c == '\\') return at + 1 < text.size() ? 2 : 1;
  if (s.quoted) {
    s.quoted = c != '"';
  } else if (c == '(') {
    ++s.comments;
  } else if (s.comments > 0) {
    if (c == ')') --s.comments;
  } else if (c == '"') {
    s.quoted = true;
  } else if (c == '<') {
    s.angle = true;
  } else if (c == '>') {
    s.angle = false;
  }
  return 1;
}

}  // namespace

std::vector<size_t> top_level_positions(std::string_view text, char wanted) {
  std::vector<size_t> found;
  ScanState state;
  for (size_t at = 0; at < text.size();) {
    if (state.top() && text[at] == wanted) found.push_back(at);
    at += step(state, text, at);
  }
  return found;
}

AddressParts address_parts(std::string_view address) {
  address = trimmed(address);
  const std::vector<size_t> opens = top_level_positions(address, '<');
  if (opens.empty() || address.back() != '>') return {};
  return {trimmed(address.substr(0, opens.back())), address.substr(opens.back())};
}

std::string_view trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace mime
