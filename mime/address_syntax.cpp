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

namespace {

constexpr std::string_view kBlanks = " \t";

// A fault of the brackets, quotes and comments of the whole address.
std::string_view structure_fault(std::string_view text) {
  ScanState state;
  bool closed_angle = false;
  for (size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (state.top() && closed_angle && c != '(' && kBlanks.find(c) == std::string_view::npos)
      return "has text after its '>'";
    if (!state.quoted && state.comments == 0) {
      if (c == ';') return "holds a ';': addresses are separated by commas";
      if (c == ')') return "has a ')' without its '('";
      if (c == '>' && !state.angle) return "has a '>' without its '<'";
      if (c == '<' && state.angle) return "has a '<' inside its '<...>'";
      if (c == '>') closed_angle = true;
    }
    at += step(state, text, at);
  }
  if (state.quoted) return "has a '\"' without its closing '\"'";
  if (state.comments > 0) return "has a '(' without its ')'";
  if (state.angle) return "has a '<' without its '>'";
  return {};
}

// The bare address proper: from its first byte outside comments and blanks
// to the end of its domain (the next blank or comment after the '@').
std::string_view bare_proper(std::string_view text, size_t at_sign) {
  ScanState state;
  size_t first = text.size();
  for (size_t at = 0; at < text.size();) {
    if (state.top() && kBlanks.find(text[at]) == std::string_view::npos && text[at] != '(') {
      first = at;
      break;
    }
    at += step(state, text, at);
  }
  size_t end = text.find_first_of(" \t(", at_sign);
  if (end == std::string_view::npos) end = text.size();
  return text.substr(first, end - first);
}

// True when `text` holds nothing but blanks and comments.
bool only_comments(std::string_view text) {
  ScanState state;
  for (size_t at = 0; at < text.size();) {
    if (state.top() && kBlanks.find(text[at]) == std::string_view::npos && text[at] != '(') return false;
    at += step(state, text, at);
  }
  return true;
}

}  // namespace

AddressLayout address_layout(std::string_view address) {
  address = trimmed(address);
  if (const std::string_view fault = structure_fault(address); !fault.empty()) return {fault, {}, {}};
  const std::vector<size_t> opens = top_level_positions(address, '<');
  std::string_view proper;
  if (!opens.empty()) {
    // The angle address closes at the first '>' outside its quotes.
    const std::string_view inside = address.substr(opens.back() + 1);
    proper = trimmed(inside.substr(0, top_level_positions(inside, '>').front()));
  }
  const std::vector<size_t> ats = top_level_positions(opens.empty() ? address : proper, '@');
  if (ats.empty()) return {"has no domain: an address is name@domain", {}, {}};
  if (ats.size() > 1) return {"has more than one '@' outside quotes", {}, {}};
  if (opens.empty()) proper = bare_proper(address, ats[0]);
  const size_t at_sign = opens.empty() ? ats[0] - static_cast<size_t>(proper.data() - address.data()) : ats[0];
  const AddressLayout layout = {{}, proper.substr(0, at_sign), proper.substr(at_sign + 1)};
  // What follows a bare address proper may only be comments.
  if (opens.empty() && !only_comments(address.substr(static_cast<size_t>(layout.domain.end() - address.begin()))))
    return {"has text after its domain", {}, {}};
  return layout;
}

std::string_view trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace mime
