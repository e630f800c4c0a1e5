#include "mime/header_policy.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "mime/address_syntax.h"
#include "mime/domain_names.h"
#include "mime/folded_lines.h"

namespace mime {

namespace {

constexpr std::string_view kWhiteSpace = " \t";
// Bytes that a display name cannot hold outside its quoted strings and
// comments.
constexpr std::string_view kPhraseSpecials = "<>[]:;@\\,";

// Bytes that a local part holds only inside quotes, and a domain not at all
// (nor a quote); an '@' but the one before the domain, a ';' and brackets
// left open are faults of their own.
constexpr std::string_view kAddressSpecials = " \t()<>[]:\\,";

bool is_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
}

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

// What is wrong with the domain of an address proper, if anything.
std::optional<std::string> domain_fault(std::string_view domain) {
  if (domain.empty()) return "has no domain after its '@'";
  if (domain.front() == '[') {
    const std::string_view inside = domain.substr(1, domain.size() - 2);
    if (domain.back() != ']' || inside.find_first_of("[]\\") != std::string_view::npos || !is_ascii(inside))
      return "has a domain in brackets that is not one";
    return std::nullopt;
  }
  for (size_t start = 0; start <= domain.size();) {
    const size_t dot = std::min(domain.find('.', start), domain.size());
    const std::string_view label = domain.substr(start, dot - start);
    if (label.empty()) return "has an empty label (two dots, or a dot at an end) in its domain";
    if (label.find_first_of(kAddressSpecials) != std::string_view::npos || label.find('"') != std::string_view::npos)
      return "has a blank or a special character in its domain";
    start = dot + 1;
  }
  if (!is_ascii(domain) && !ascii_domain(domain)) return "has a domain that is no valid internationalised domain name";
  return std::nullopt;
}

// One address of a list, after `separator` and followed by `comma`.
void append_address(FoldedLines& lines, std::string_view given, std::string_view separator,
                    std::string_view comma) {
  const std::string address = with_ascii_domain(given);
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

std::string with_ascii_domain(std::string_view address) {
  const AddressLayout layout = address_layout(address);
  if (!layout.fault.empty() || is_ascii(layout.domain)) return std::string(address);
  const std::optional<std::string> domain = ascii_domain(layout.domain);
  if (!domain) return std::string(address);
  const auto start = static_cast<size_t>(layout.domain.data() - address.data());
  return std::string(address.substr(0, start)) + *domain + std::string(address.substr(start + layout.domain.size()));
}

HeaderLines unstructured_header(std::string_view name, std::string_view given, size_t longest_line) {
  if (given.empty()) return {std::string(name) + ":"};
  // A line end would come back from a reader as one in the value: it is a
  // space, as in the text of every other header.
  std::string utf8(given);
  std::replace_if(utf8.begin(), utf8.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  if (is_plain_text(utf8)) {
    HeaderLines lines = folded_plain(name, utf8);
    if (within_limit(lines, longest_line)) return lines;
  }
  FoldedLines lines(std::string(name) + ":");
  append_encoded_words(lines, utf8, " ", 0);
  return lines.take();
}

HeaderLines token_header(std::string_view name, std::string_view value) {
  std::string line = std::string(name) + ": " + std::string(value);
  if (line.size() <= kHeaderLineLimit || kContinuationIndent.size() + value.size() > kHeaderLineLimit) return {line};
  return {std::string(name) + ":", std::string(kContinuationIndent) + std::string(value)};
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

std::optional<std::string> address_fault(std::string_view given) {
  const std::string address = without_controls(given);
  const AddressLayout layout = address_layout(address);
  if (!layout.fault.empty()) return std::string(layout.fault);
  if (layout.local.empty()) return "has nothing before its '@'";
  if (!is_ascii(layout.local)) return "has characters beyond ASCII before its '@', which mail cannot carry there";
  for (const char special : kAddressSpecials)
    if (!top_level_positions(layout.local, special).empty())
      return "has a blank or a special character before its '@' (a display name goes before <name@domain>)";
  if (std::optional<std::string> fault = domain_fault(layout.domain)) return fault;
  // All but the display name is written as it stands, so it must be ASCII.
  const std::string written = with_ascii_domain(address);
  const AddressParts parts = address_parts(written);
  if (!is_ascii(parts.angle.empty() ? std::string_view(written) : parts.angle))
    return "has characters beyond ASCII outside its display name and domain";
  return std::nullopt;
}

bool is_field_name(std::string_view name) {
  constexpr char kFirstPrintable = 33, kLastPrintable = 126;
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return c >= kFirstPrintable && c <= kLastPrintable && c != ':';
  });
}

}  // namespace mime
