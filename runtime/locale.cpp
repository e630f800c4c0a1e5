#include "runtime/locale.h"

#include <cstring>
#include <string_view>

#include "platform/process.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "runtime/environment_file.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace rt {

struct MessageOverride {
  MessageOverride* next;
  int32_t number;
  uint32_t length;
  char* text;  // NUL-terminated heap copy
};

namespace {

// ORDER: months January to December.
constexpr const char* kMonthNames[12] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
static_assert(sizeof(kMonthNames) / sizeof(kMonthNames[0]) == 12);

constexpr const char* kDefaultShortDate = "MM/dd/yy";
constexpr const char* kDefaultLongDate = "ddd', 'MMMM' 'dd', 'yyyy";
constexpr uint32_t kIntlPatternCapacity = 255;

// Copies at most `capacity` bytes and a NUL.
void copy_cut(char* dest, uint32_t capacity, const char* text, uint32_t length) {
  uint32_t n = length < capacity ? length : capacity;
  if (n > 0) std::memcpy(dest, text, n);
  dest[n] = '\0';
}

// The error table asks the locale for an environment-file override first.
bool override_hook(int32_t code, std::string_view* text) {
  const char* found = locale().message_override(code);
  if (found == nullptr) return false;
  *text = std::string_view(found);
  return true;
}

}  // namespace

Locale::Locale() {
  reset();
}

Locale::~Locale() {
  release_overrides();
}

void Locale::reset() {
  reset_collation();
  reset_case();
  std::memset(digraphs_, 0, sizeof digraphs_);
  std::memset(digraphs_oem_, 0, sizeof digraphs_oem_);
  for (uint32_t m = 0; m < 12; ++m) {
    copy_cut(month_names_[m], kMonthNameCapacity, kMonthNames[m],
             static_cast<uint32_t>(std::strlen(kMonthNames[m])));
    copy_cut(month_abbrevs_[m], kMonthAbbrevCapacity, kMonthNames[m], kMonthAbbrevCapacity);
  }
  copy_cut(am_pm_[0], kAmPmCapacity, "AM", 2);
  copy_cut(am_pm_[1], kAmPmCapacity, "PM", 2);
  oem_charset_ = false;
  long_file_names_ = false;
  initialised_ = false;
  intl_ = IntlSettings{};
  build_time_layouts(intl_);
  build_short_date_layout(kDefaultShortDate);
  build_long_date_layout(kDefaultLongDate);
  release_overrides();
}

void Locale::initialise() {
  if (initialised_) return;
  initialised_ = true;
  IntlSettings intl;
  intl.time_format = static_cast<int32_t>(plat::GetProfileIntA("intl", "iTime", 0));
  intl.hour_zero = static_cast<int32_t>(plat::GetProfileIntA("intl", "iTLzero", 1));
  char text[kIntlPatternCapacity + 1];
  plat::GetProfileStringA("intl", "sTime", ":", text, 2);
  intl.time_separator = text[0] != '\0' ? text[0] : ':';
  plat::GetProfileStringA("intl", "s1159", "AM", intl.s1159, kAmPmCapacity + 1);
  plat::GetProfileStringA("intl", "s2359", "PM", intl.s2359, kAmPmCapacity + 1);
  intl_ = intl;
  build_time_layouts(intl_);
  plat::GetProfileStringA("intl", "sShortDate", kDefaultShortDate, text, sizeof text);
  build_short_date_layout(text);
  plat::GetProfileStringA("intl", "sLongDate", kDefaultLongDate, text, sizeof text);
  build_long_date_layout(text);
  std::memcpy(collation_oem_, collation_ansi_, sizeof collation_oem_);

  svc::error_state().set_message_override(override_hook);
  char program[260];
  char path[264];
  plat::DWORD n = plat::GetModuleFileNameA(nullptr, program, sizeof program);
  if (n > 0 && n < sizeof program && environment_file_path(program, path, sizeof path)) {
    read_environment_file(*this, path);
  }
  svc::error_state().clear();
}

// --- tables ---

void Locale::reset_collation() {
  for (uint32_t b = 0; b < 256; ++b) {
    collation_ansi_[b] = static_cast<uint8_t>(b);
    collation_oem_[b] = static_cast<uint8_t>(b);
  }
}

void Locale::reset_case() {
  for (uint32_t b = 0; b < 256; ++b) {
    char_class_[b] = 0;
    case_partner_[b] = 0;
  }
  for (uint32_t b = '0'; b <= '9'; ++b) char_class_[b] = kClassDigit;
  for (uint32_t b = 'A'; b <= 'Z'; ++b) {
    char_class_[b] = kClassUpper;
    char_class_[b + 32] = kClassLower;
    case_partner_[b] = static_cast<uint8_t>(b + 32);
    case_partner_[b + 32] = static_cast<uint8_t>(b);
  }
}

void Locale::apply_case_pairs(const char* upper, uint32_t upper_length, const char* lower,
                              uint32_t lower_length) {
  for (uint32_t b = 128; b < 256; ++b) {
    char_class_[b] = 0;
    case_partner_[b] = 0;
  }
  uint32_t n = upper_length < lower_length ? upper_length : lower_length;
  if (n > 128) n = 128;
  for (uint32_t i = 0; i < n; ++i) {
    auto u = static_cast<uint8_t>(upper[i]);
    auto l = static_cast<uint8_t>(lower[i]);
    if (u < 128 || l < 128) continue;
    char_class_[u] = kClassUpper;
    case_partner_[u] = l;
    char_class_[l] = kClassLower;
    case_partner_[l] = u;
  }
}

// Removes repeated characters (first occurrence kept); returns the new
// length and whether anything was removed.
static uint32_t unique_sequence(const char* sequence, uint32_t length, uint8_t* out,
                                bool* repeated) {
  bool seen[256] = {};
  uint32_t n = 0;
  *repeated = false;
  for (uint32_t i = 0; i < length; ++i) {
    auto c = static_cast<uint8_t>(sequence[i]);
    if (seen[c]) {
      *repeated = true;
      continue;
    }
    seen[c] = true;
    out[n++] = c;
  }
  return n;
}

void Locale::apply_collating_sequence(const char* sequence, uint32_t length, bool oem) {
  uint8_t* table = oem ? collation_oem_ : collation_ansi_;
  for (uint32_t b = 0; b < 256; ++b) table[b] = static_cast<uint8_t>(b);
  uint8_t chars[256];
  bool repeated = false;
  uint32_t n = unique_sequence(sequence, length, chars, &repeated);
  constexpr uint32_t kPrintableCount = 222;
  if (!repeated && n == kPrintableCount) {
    // Every printable character listed: 95 take 32..126, the rest 128..254.
    for (uint32_t i = 0; i < 95; ++i) table[chars[i]] = static_cast<uint8_t>(32 + i);
    for (uint32_t i = 95; i < n; ++i) table[chars[i]] = static_cast<uint8_t>(128 + i - 95);
    return;
  }
  // The listed characters share their own byte values as weights, handed out
  // in ascending order along the sequence.
  bool listed[256] = {};
  for (uint32_t i = 0; i < n; ++i) listed[chars[i]] = true;
  uint32_t next = 0;
  for (uint32_t b = 0; b < 256 && next < n; ++b) {
    if (listed[b]) table[chars[next++]] = static_cast<uint8_t>(b);
  }
}

const Digraph* Locale::digraph_of(uint8_t c) const {
  for (const Digraph& d : digraphs_) {
    if (d.ch == 0) break;
    if (static_cast<uint8_t>(d.ch) == c) return &d;
  }
  return nullptr;
}

void Locale::set_digraphs(const char* groups, uint32_t group_count) {
  std::memset(digraphs_, 0, sizeof digraphs_);
  if (group_count > kDigraphCapacity) group_count = kDigraphCapacity;
  for (uint32_t i = 0; i < group_count; ++i) {
    digraphs_[i] = Digraph{groups[3 * i], groups[3 * i + 1], groups[3 * i + 2], '\0'};
  }
  std::memset(digraphs_oem_, 0, sizeof digraphs_oem_);
  for (uint32_t i = 0; i < group_count; ++i) {
    plat::CharToOemBuffA(&digraphs_[i].ch, &digraphs_oem_[i].ch, 3);
  }
}

const char* Locale::month_name(uint32_t month) const {
  return month >= 1 && month <= 12 ? month_names_[month - 1] : "";
}

const char* Locale::month_abbrev(uint32_t month) const {
  return month >= 1 && month <= 12 ? month_abbrevs_[month - 1] : "";
}

void Locale::set_month_name(uint32_t month, const char* text, uint32_t length) {
  if (month >= 1 && month <= 12)
    copy_cut(month_names_[month - 1], kMonthNameCapacity, text, length);
}

void Locale::set_month_abbrev(uint32_t month, const char* text, uint32_t length) {
  if (month >= 1 && month <= 12) {
    copy_cut(month_abbrevs_[month - 1], kMonthAbbrevCapacity, text, length);
  }
}

void Locale::set_am_text(const char* text, uint32_t length) {
  copy_cut(am_pm_[0], kAmPmCapacity, text, length);
}

void Locale::set_pm_text(const char* text, uint32_t length) {
  copy_cut(am_pm_[1], kAmPmCapacity, text, length);
}

// --- message overrides ---

const char* Locale::message_override(int32_t number) const {
  for (const MessageOverride* o = overrides_; o != nullptr; o = o->next) {
    if (o->number == number) return o->text;
  }
  return nullptr;
}

void Locale::set_message_override(int32_t number, const char* text, uint32_t length) {
  auto* copy = static_cast<char*>(svc::allocate(length + 1));
  if (copy == nullptr) return;
  if (length > 0) std::memcpy(copy, text, length);
  copy[length] = '\0';
  for (MessageOverride* o = overrides_; o != nullptr; o = o->next) {
    if (o->number == number) {
      svc::release(o->text);
      o->text = copy;
      o->length = length;
      return;
    }
  }
  auto* node = static_cast<MessageOverride*>(svc::allocate(sizeof(MessageOverride)));
  if (node == nullptr) {
    svc::release(copy);
    return;
  }
  *node = MessageOverride{overrides_, number, length, copy};
  overrides_ = node;
}

void Locale::release_overrides() {
  while (overrides_ != nullptr) {
    MessageOverride* next = overrides_->next;
    svc::release(overrides_->text);
    svc::release(overrides_);
    overrides_ = next;
  }
}

Locale& locale() {
  static Locale instance;
  return instance;
}

}  // namespace rt
