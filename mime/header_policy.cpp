#include "mime/header_policy.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "mime/address_syntax.h"
#include "mime/folded_lines.h"

namespace mime {

namespace {

constexpr std::string_view kWhiteSpace = " \t";
// Bytes that a display name cannot hold outside its quoted strings and
// comments.
constexpr std::string_view kPhraseSpecials = "<>[]:;@\\,";

// Text that a header carries as it is: printable ASCII and tabs, and no "=?"
// that a reader could take for the start of an encoded-word.
bool is_plain_text(std::string_view text) {
  for (char c : text) {
    const auto b = static_cast<uint8_t>(c);
    if ((b < 0x20 && b != '\t') || b >= 0x7F) return false;
  }
  return text.find("=?") == std::string_view::npos;
}

// The text with each control character (a line end among them) as a space:
// an address keeps its bytes, and one that brought a line end could add a
// header of its own.
std::string without_controls(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto b = static_cast<uint8_t>(c);
    if ((b < 0x20 && b != '\t') || b == 0x7F) c = ' ';
  }
  return out;
}

// "Name: value", broken before a run of white space where the line would
// pass 78 bytes; the run begins the next line, so unfolding gives the value.
HeaderLines folded_plain(std::string_view name, std::string_view text) {
  HeaderLines lines = {std::string(name) + ": "};
  for (size_t at = 0; at < text.size();) {
    const size_t word = text.find_first_not_of(kWhiteSpace, at);
    if (word == std::string_view::npos) {
      lines.back() += text.substr(at);  // white space at the end never makes a line of its own
      break;
    }
    const size_t end = std::min(text.find_first_of(kWhiteSpace, word), text.size());
    const std::string_view piece = text.substr(at, end - at);
    if (at > 0 && lines.back().size() + piece.size() > kHeaderLineLimit) {
      lines.emplace_back(piece);
    } else {
      lines.back() += piece;
    }
    at = end;
  }
  return lines;
}

bool within_limit(const HeaderLines& lines, size_t longest_line) {
  return std::all_of(lines.begin(), lines.end(),
                     [longest_line](const std::string& line) { return line.size() <= longest_line; });
}

// The text of a display name that is one quoted string: quotes off, each
// quoted pair "\x" as x; nothing when the name is not one quoted string.
std::optional<std::string> unquoted(std::string_view name) {
  if (name.size() < 2 || name.front() != '"') return std::nullopt;
  std::string text;
  for (size_t i = 1; i < name.size(); ++i) {
    if (name[i] == '"') return i + 1 == name.size() ? std::optional(text) : std::nullopt;
    if (name[i] == '\\' && i + 1 < name.size()) ++i;
    text += name[i];
  }
  return std::nullopt;
}

bool needs_quotes(std::string_view display) {
  return std::any_of(kPhraseSpecials.begin(), kPhraseSpecials.end(),
                     [&](char special) { return !top_level_positions(display, special).empty(); });
}

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// One address of a list, after `separator` and followed by `comma`.
void append_address(FoldedLines& lines, std::string_view address, std::string_view separator,
                    std::string_view comma) {
  const AddressParts parts = address_parts(address);
  const std::optional<std::string> inside = unquoted(parts.display);
  const std::string_view text = inside ? std::string_view(*inside) : parts.display;
  if (!parts.display.empty() && !is_plain_text(text)) {
    append_encoded_words(lines, text, separator, 0);
    const std::string tail = std::string(parts.angle) + std::string(comma);
    if (lines.room() > tail.size()) {
      lines.append(" ");
    } else {
      lines.start_line();
    }
    lines.append(tail);
    return;
  }
  lines.append(separator);
  if (!inside && needs_quotes(parts.display)) {
    lines.append(quoted(parts.display) + " " + std::string(parts.angle));
  } else {
    lines.append(address);
  }
  lines.append(comma);
}

}  // namespace

HeaderLines unstructured_header(std::string_view name, std::string_view utf8, size_t longest_line) {
  if (utf8.empty()) return {std::string(name) + ":"};
  if (is_plain_text(utf8)) {
    HeaderLines lines = folded_plain(name, utf8);
    if (within_limit(lines, longest_line)) return lines;
  }
  FoldedLines lines(std::string(name) + ":");
  append_encoded_words(lines, utf8, " ", 0);
  return lines.take();
}

HeaderLines address_header(std::string_view name, std::string_view utf8_list) {
  const std::vector<std::string> addresses = split_addresses(without_controls(utf8_list));
  FoldedLines lines(std::string(name) + ":");
  for (size_t i = 0; i < addresses.size(); ++i) {
    if (i > 0) lines.start_line();
    append_address(lines, addresses[i], i == 0 ? " " : "", i + 1 < addresses.size() ? "," : "");
  }
  return lines.take();
}

std::vector<std::string> split_addresses(std::string_view utf8_list) {
  std::vector<size_t> commas = top_level_positions(utf8_list, ',');
  commas.push_back(utf8_list.size());
  std::vector<std::string> addresses;
  size_t start = 0;
  for (const size_t comma : commas) {
    const std::string_view one = trimmed(utf8_list.substr(start, comma - start));
    if (!one.empty()) addresses.emplace_back(one);
    start = comma + 1;
  }
  return addresses;
}

bool has_mail_domain(std::string_view address) {
  const AddressParts parts = address_parts(address);
  // The angle address without its brackets: '@' inside them is not at the top level.
  const std::string_view proper =
      parts.angle.empty() ? trimmed(address) : parts.angle.substr(1, parts.angle.size() - 2);
  return !top_level_positions(proper, '@').empty();
}

bool is_field_name(std::string_view name) {
  constexpr char kFirstPrintable = 33, kLastPrintable = 126;
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return c >= kFirstPrintable && c <= kLastPrintable && c != ':';
  });
}

}  // namespace mime
