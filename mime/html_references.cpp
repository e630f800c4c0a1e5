#include "mime/html_references.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "mime/utf8.h"

namespace mime {
namespace {

// The names of U+00A0 to U+00FF, in code point order. Every one of them may
// also be written without its ";".
constexpr std::string_view kLatin1Names[] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
    "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};
constexpr char32_t kLatin1First = 0xA0;
static_assert(std::size(kLatin1Names) == 0x100 - kLatin1First);

struct NamedReference {
  std::string_view name;
  char32_t code_point;
  bool without_semicolon;  // also recognised with no ";" after it
};

// Names outside the Latin-1 block, in no particular order.
constexpr NamedReference kOtherNames[] = {
    {"amp", U'&', true},       {"lt", U'<', true},        {"gt", U'>', true},
    {"quot", U'"', true},      {"AMP", U'&', true},       {"LT", U'<', true},
    {"GT", U'>', true},        {"QUOT", U'"', true},      {"COPY", 0xA9, true},
    {"REG", 0xAE, true},       {"apos", U'\'', false},    {"OElig", 0x152, false},
    {"oelig", 0x153, false},   {"Scaron", 0x160, false},  {"scaron", 0x161, false},
    {"Yuml", 0x178, false},    {"fnof", 0x192, false},    {"circ", 0x2C6, false},
    {"tilde", 0x2DC, false},   {"ensp", 0x2002, false},   {"emsp", 0x2003, false},
    {"thinsp", 0x2009, false}, {"zwnj", 0x200C, false},   {"zwj", 0x200D, false},
    {"lrm", 0x200E, false},    {"rlm", 0x200F, false},    {"ndash", 0x2013, false},
    {"mdash", 0x2014, false},  {"lsquo", 0x2018, false},  {"rsquo", 0x2019, false},
    {"sbquo", 0x201A, false},  {"ldquo", 0x201C, false},  {"rdquo", 0x201D, false},
    {"bdquo", 0x201E, false},  {"dagger", 0x2020, false}, {"Dagger", 0x2021, false},
    {"bull", 0x2022, false},   {"hellip", 0x2026, false}, {"permil", 0x2030, false},
    {"prime", 0x2032, false},  {"Prime", 0x2033, false},  {"lsaquo", 0x2039, false},
    {"rsaquo", 0x203A, false}, {"oline", 0x203E, false},  {"euro", 0x20AC, false},
    {"trade", 0x2122, false},  {"larr", 0x2190, false},   {"uarr", 0x2191, false},
    {"rarr", 0x2192, false},   {"darr", 0x2193, false},   {"harr", 0x2194, false},
    {"minus", 0x2212, false},  {"infin", 0x221E, false},  {"ne", 0x2260, false},
    {"le", 0x2264, false},     {"ge", 0x2265, false},     {"loz", 0x25CA, false},
    {"spades", 0x2660, false}, {"clubs", 0x2663, false},  {"hearts", 0x2665, false},
    {"diams", 0x2666, false},  {"check", 0x2713, false},  {"star", 0x2606, false},
};

// What browsers show for the numeric references 128 to 159 (the
// Windows-1252 characters at those bytes); 0 where the byte has none and
// the number stands for itself.
constexpr char32_t kWindows1252High[] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
constexpr char32_t kWindows1252First = 0x80;
static_assert(std::size(kWindows1252High) == 0xA0 - kWindows1252First);

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kCodePointMax = 0x10FFFF;
// The longest name that may go without ";" ("frac14", "middot", ...).
constexpr size_t kBareNameMax = 6;

// Every named reference, sorted by name for binary search.
const std::vector<NamedReference>& named_references() {
  static const std::vector<NamedReference> table = [] {
    std::vector<NamedReference> all(std::begin(kOtherNames), std::end(kOtherNames));
    for (size_t i = 0; i < std::size(kLatin1Names); ++i)
      all.push_back({kLatin1Names[i], kLatin1First + static_cast<char32_t>(i), true});
    std::sort(all.begin(), all.end(),
              [](const NamedReference& a, const NamedReference& b) { return a.name < b.name; });
    return all;
  }();
  return table;
}

const NamedReference* find_name(std::string_view name) {
  const std::vector<NamedReference>& table = named_references();
  const auto at = std::lower_bound(table.begin(), table.end(), name,
                                   [](const NamedReference& a, std::string_view b) { return a.name < b; });
  return at != table.end() && at->name == name ? &*at : nullptr;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_alnum(char c) { return is_digit(c) || is_alpha(c); }
int hex_value(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct Reference {
  size_t length;  // bytes taken, from "&" up to and including any ";"
  char32_t code_point;
};

// The length of the run of bytes from `at` that satisfy `keep`, or npos
// when the run reaches the end of a full window: the reference is too long.
template <typename Keep>
size_t run_end(std::string_view window, size_t at, Keep keep) {
  while (at < window.size() && keep(window[at])) ++at;
  return at == window.size() && window.size() > kReferenceLengthMax ? std::string_view::npos : at;
}

char32_t numeric_character(uint32_t value) {
  if (value == 0 || value > kCodePointMax || (value >= 0xD800 && value <= 0xDFFF)) return kReplacement;
  if (value >= kWindows1252First && value < kLatin1First && kWindows1252High[value - kWindows1252First] != 0)
    return kWindows1252High[value - kWindows1252First];
  return value;
}

// numeric -> "&#" digits [";"] | "&#" ("x" | "X") hex-digits [";"]
std::optional<Reference> numeric_reference(std::string_view window) {
  const bool hex = window.size() > 2 && (window[2] == 'x' || window[2] == 'X');
  const size_t first = hex ? 3 : 2;
  const size_t end = run_end(window, first, [hex](char c) { return hex ? hex_value(c) >= 0 : is_digit(c); });
  if (end == std::string_view::npos || end == first) return std::nullopt;
  uint32_t value = 0;
  for (size_t i = first; i < end; ++i) {
    value = value * (hex ? 16 : 10) + static_cast<uint32_t>(hex_value(window[i]));
    value = std::min<uint32_t>(value, kCodePointMax + 1);  // no overflow, still out of range
  }
  const bool semicolon = end < window.size() && window[end] == ';';
  return Reference{end + (semicolon ? 1 : 0), numeric_character(value)};
}

// named -> "&" name ";" | "&" bare-name, where a bare name is one of the
// names that may go without ";" and is the longest such at the start of
// the run of letters and digits.
std::optional<Reference> named_reference(std::string_view window, ReferenceContext context) {
  const size_t end = run_end(window, 1, is_alnum);
  if (end == std::string_view::npos || end == 1) return std::nullopt;
  const std::string_view run = window.substr(1, end - 1);
  if (end < window.size() && window[end] == ';') {
    if (const NamedReference* named = find_name(run)) return Reference{end + 1, named->code_point};
  }
  for (size_t length = std::min(run.size(), kBareNameMax); length >= 2; --length) {
    const NamedReference* named = find_name(run.substr(0, length));
    if (named == nullptr || !named->without_semicolon) continue;
    const size_t next = 1 + length;
    if (context == ReferenceContext::attribute &&
        (length < run.size() || (next < window.size() && window[next] == '=')))
      return std::nullopt;
    return Reference{next, named->code_point};
  }
  return std::nullopt;
}

// The reference that starts with the "&" at `at`, if any. Only the bytes of
// the longest possible reference and one more are looked at.
std::optional<Reference> reference_at(std::string_view text, size_t at, ReferenceContext context) {
  const std::string_view window = text.substr(at, kReferenceLengthMax + 1);
  if (window.size() > 1 && window[1] == '#') return numeric_reference(window);
  return named_reference(window, context);
}

}  // namespace

std::string decode_character_references(std::string_view text, ReferenceContext context) {
  std::string out;
  out.reserve(text.size());
  size_t done = 0;
  for (size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at)) {
    const std::optional<Reference> reference = reference_at(text, at, context);
    if (!reference) {
      ++at;
      continue;
    }
    out.append(text.substr(done, at - done));
    append_utf8(out, reference->code_point);
    at += reference->length;
    done = at;
  }
  out.append(text.substr(done));
  return out;
}

}  // namespace mime
