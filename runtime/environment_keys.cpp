// The keys of the environment file and what each does to the locale.
#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "runtime/environment_file.h"
#include "runtime/locale.h"

namespace rt {

namespace {

constexpr int32_t kButtonMessageBase = 32512;
constexpr uint32_t kItemCapacity = kPreparedQuotedCapacity;

// A prepared value and its items.
class Items {
 public:
  Items(const char* text, uint32_t length) : text_(text), length_(length) {}
  // Item i into the item buffer; false when missing.
  bool read(uint32_t i) {
    return read_environment_item(text_, length_, i, item_, kItemCapacity, &item_length_);
  }
  // Item i, or an empty text when missing.
  bool read_non_empty(uint32_t i) { return read(i) && item_length_ > 0; }
  const char* text() const { return item_; }
  uint32_t length() const { return item_length_; }
  bool is(const char* word) const {
    size_t n = std::strlen(word);
    if (item_length_ != n) return false;
    for (size_t k = 0; k < n; ++k) {
      char c = item_[k];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (c != word[k]) return false;
    }
    return true;
  }

 private:
  const char* text_;
  uint32_t length_;
  char item_[kItemCapacity];
  uint32_t item_length_ = 0;
};

void apply_charset(Locale& loc, Items& items) {
  loc.set_oem_charset(items.read(0) && items.is("OEM"));
}

// Applies a sequence written in the ANSI (oem = false) or OEM code page to
// its own table and, converted, to the other one.
void apply_sequence(Locale& loc, char* sequence, uint32_t length, bool oem) {
  loc.apply_collating_sequence(sequence, length, oem);
  if (oem) {
    plat::OemToCharBuffA(sequence, sequence, length);
  } else {
    plat::CharToOemBuffA(sequence, sequence, length);
  }
  loc.apply_collating_sequence(sequence, length, !oem);
}

// The bytes 1 to 254 in the order of the system's string comparison.
uint32_t system_collation_order(char (&order)[256]) {
  uint32_t n = 0;
  for (uint32_t b = 1; b <= 254; ++b) order[n++] = static_cast<char>(b);
  std::stable_sort(order, order + n, [](char a, char b) {
    const char left[2] = {a, '\0'};
    const char right[2] = {b, '\0'};
    return plat::lstrcmpA(left, right) < 0;
  });
  return n;
}

void apply_collation(Locale& loc, Items& items) {
  if (!items.read_non_empty(0)) {
    loc.reset_collation();
    return;
  }
  char sequence[kItemCapacity];
  uint32_t length = items.length();
  bool oem = loc.oem_charset();
  if (items.is("WINDOWS")) {
    loc.set_oem_charset(false);
    oem = false;
    char order[256];
    length = system_collation_order(order);
    std::memcpy(sequence, order, length);
  } else {
    std::memcpy(sequence, items.text(), length);
  }
  apply_sequence(loc, sequence, length, oem);
}

void apply_system_case(Locale& loc) {
  char upper[256];
  uint32_t n = 0;
  for (uint32_t b = 1; b < 256; ++b) {
    auto c = static_cast<char>(b);
    if (plat::IsCharAlphaA(c) && plat::IsCharUpperA(c)) upper[n++] = c;
  }
  upper[n] = '\0';
  char lower[256];
  std::memcpy(lower, upper, n + 1);
  plat::CharLowerA(lower);
  loc.apply_case_pairs(upper, n, lower, n);
}

void apply_case(Locale& loc, Items& items) {
  if (!items.read_non_empty(0)) {
    loc.reset_case();
    return;
  }
  if (items.is("WINDOWS")) {
    apply_system_case(loc);
    return;
  }
  char upper[kItemCapacity];
  uint32_t upper_length = items.length();
  std::memcpy(upper, items.text(), upper_length);
  if (!items.read(1) || items.length() != upper_length) {
    apply_system_case(loc);
    return;
  }
  loc.apply_case_pairs(upper, upper_length, items.text(), items.length());
}

void apply_months(Locale& loc, Items& items) {
  for (uint32_t m = 1; m <= 12 && items.read_non_empty(m - 1); ++m) {
    loc.set_month_name(m, items.text(), items.length());
  }
}

void apply_month_abbrevs(Locale& loc, Items& items) {
  for (uint32_t m = 1; m <= 12 && items.read_non_empty(m - 1); ++m) {
    loc.set_month_abbrev(m, items.text(), items.length());
  }
}

void apply_am_pm(Locale& loc, Items& items) {
  if (!items.read_non_empty(0)) return;
  if (items.is("WINDOWS")) {
    const IntlSettings& intl = loc.intl();
    loc.set_am_text(intl.s1159, static_cast<uint32_t>(std::strlen(intl.s1159)));
    loc.set_pm_text(intl.s2359, static_cast<uint32_t>(std::strlen(intl.s2359)));
    return;
  }
  loc.set_am_text(items.text(), items.length());
  if (items.read_non_empty(1)) loc.set_pm_text(items.text(), items.length());
}

void apply_digraphs(Locale& loc, Items& items) {
  char groups[3 * kDigraphCapacity];
  uint32_t n = 0;
  for (uint32_t i = 0; n < sizeof groups && items.read(i); ++i) {
    uint32_t take = std::min<uint32_t>(items.length(), sizeof groups - n);
    std::memcpy(groups + n, items.text(), take);
    n += take;
  }
  loc.set_digraphs(groups, n / 3);
}

void apply_buttons(Locale& loc, Items& items) {
  for (uint32_t i = 0; items.read(i); ++i) {
    if (items.length() > 0) {
      loc.set_message_override(kButtonMessageBase + static_cast<int32_t>(i), items.text(),
                               items.length());
    }
  }
}

void apply_long_file_names(Locale& loc, Items& items) {
  loc.set_long_file_names(items.read(0) && items.is("ON"));
}

using KeyAction = void (*)(Locale&, Items&);

struct KeyRule {
  const char* name;
  KeyAction action;
  bool keep_commas;  // commas are ordinary characters of the value
  bool oem_text;     // the value follows the declared charset
};

constexpr KeyRule kKeyRules[] = {
    {"BRICHARSET", apply_charset, false, true},     {"BRICOLSEQ", apply_collation, true, false},
    {"BRICASE", apply_case, false, true},           {"BRIMONTH", apply_months, false, true},
    {"BRIMON", apply_month_abbrevs, false, true},   {"BRIAMPM", apply_am_pm, false, true},
    {"BRIDIGRAPH", apply_digraphs, false, true},    {"BRIBUTTON", apply_buttons, false, true},
    {"BRILFN", apply_long_file_names, false, true},
};
static_assert(sizeof(kKeyRules) / sizeof(kKeyRules[0]) == 9);

bool same_key(const char* key, const char* name) {
  for (; *key != '\0' && *name != '\0'; ++key, ++name) {
    char c = *key;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != *name) return false;
  }
  return *key == *name;
}

// The message number of a BRIMSG key, or -1. The prefix is compared as
// written, collation-equal characters counting as equal.
int32_t message_key_number(const Locale& loc, const char* key) {
  static constexpr char kPrefix[] = "BRIMSG";
  for (uint32_t i = 0; i + 1 < sizeof kPrefix; ++i) {
    auto a = static_cast<uint8_t>(key[i]);
    auto b = static_cast<uint8_t>(kPrefix[i]);
    if (a == 0 || loc.weight(a) != loc.weight(b)) return -1;
  }
  const char* digits = key + sizeof kPrefix - 1;
  size_t n = std::strlen(digits);
  if (n == 0 || n > 9) return -1;
  int32_t number = 0;
  for (size_t i = 0; i < n; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return -1;
    number = number * 10 + (digits[i] - '0');
  }
  return number;
}

// Prepares the value (and converts it from the OEM code page when the
// file's text is declared so and the key follows the charset).
uint32_t prepare(const Locale& loc, const char* value, uint32_t length, bool keep_commas,
                 bool oem_text, char (&prepared)[kPreparedQuotedCapacity]) {
  uint32_t n = prepare_environment_value(value, length, keep_commas, prepared);
  if (oem_text && loc.oem_charset()) plat::OemToCharBuffA(prepared, prepared, n);
  return n;
}

}  // namespace

uint32_t prepare_environment_value(const char* value, uint32_t length, bool keep_commas,
                                   char (&out)[kPreparedQuotedCapacity]) {
  uint32_t i = 0;
  while (i < length && (value[i] == ' ' || value[i] == '\t')) ++i;
  if (i < length && value[i] == '"') {
    uint32_t n = std::min(length - i, kPreparedQuotedCapacity);
    std::memcpy(out, value + i, n);
    return n;
  }
  // Room is kept for the closing quote; a byte whose expansion does not fit
  // ends the value, so a doubled quote is never split.
  constexpr uint32_t kLast = kPreparedListCapacity - 1;
  uint32_t n = 0;
  out[n++] = '"';
  for (; i < length; ++i) {
    char c = value[i];
    const char* piece = c == '"' ? "\"\"" : (c == ',' && !keep_commas ? "\",\"" : nullptr);
    uint32_t size = piece != nullptr ? static_cast<uint32_t>(std::strlen(piece)) : 1;
    if (n + size > kLast) break;
    if (piece != nullptr) {
      std::memcpy(out + n, piece, size);
    } else {
      out[n] = c;
    }
    n += size;
  }
  out[n++] = '"';
  return n;
}

bool read_environment_item(const char* prepared, uint32_t length, uint32_t index, char* out,
                           uint32_t capacity, uint32_t* out_length) {
  uint32_t pos = 0;
  for (uint32_t item = 0;; ++item) {
    while (pos < length && (prepared[pos] == ' ' || prepared[pos] == ',')) ++pos;
    if (pos >= length) return false;
    uint32_t n = 0;
    auto keep = [&](char c) {
      if (item == index && n < capacity) out[n++] = c;
    };
    if (prepared[pos] == '"') {
      for (++pos; pos < length; ++pos) {
        if (prepared[pos] != '"') {
          keep(prepared[pos]);
        } else if (pos + 1 < length && prepared[pos + 1] == '"') {
          keep('"');
          ++pos;
        } else {
          ++pos;
          break;
        }
      }
    } else {
      for (; pos < length && prepared[pos] != ' ' && prepared[pos] != ','; ++pos)
        keep(prepared[pos]);
    }
    if (item == index) {
      *out_length = n;
      return true;
    }
  }
}

void apply_environment_key(Locale& locale, const char* key, const char* value,
                           uint32_t value_length) {
  char prepared[kPreparedQuotedCapacity];
  for (const KeyRule& rule : kKeyRules) {
    if (!same_key(key, rule.name)) continue;
    uint32_t n = prepare(locale, value, value_length, rule.keep_commas, rule.oem_text, prepared);
    Items items(prepared, n);
    rule.action(locale, items);
    return;
  }
  int32_t number = message_key_number(locale, key);
  if (number < 0) return;
  uint32_t n = prepare(locale, value, value_length, true, true, prepared);
  Items items(prepared, n);
  if (items.read_non_empty(0)) locale.set_message_override(number, items.text(), items.length());
}

}  // namespace rt
