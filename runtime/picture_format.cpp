#include "runtime/picture_format.h"

#include <algorithm>
#include <cstring>

#include "runtime/date_time.h"
#include "runtime/locale.h"
#include "runtime/number_text.h"
#include "runtime/string_stack.h"
#include "services/heap.h"

namespace rt {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_number_code(uint8_t code) {
  return code == LAYOUT_MONTH_DIGIT || code == LAYOUT_DAY_DIGIT || code == LAYOUT_YEAR_DIGIT ||
         code == LAYOUT_HOUR_DIGIT || code == LAYOUT_MINUTE_DIGIT || code == LAYOUT_SECOND_DIGIT;
}

// Tokens from `first` that share its code: one field of the picture.
uint32_t run_length(const CompiledPicture& p, uint32_t first) {
  uint32_t end = first + 1;
  while (end < p.count() && p.tokens[end].code == p.tokens[first].code) ++end;
  return end - first;
}

// The value's text read as a decimal integer: leading blanks and a sign, then
// digits up to the first other byte; values beyond 32 bits saturate.
int32_t leading_integer(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && is_digit(text[i]); ++i) {
    if (value <= INT32_MAX) value = value * 10 + (text[i] - '0');
  }
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(negative ? -value : value);
}

// The date or time fields that a picture's digit codes show.
struct ShownFields {
  bool valid = false;
  CalendarDate date;
  ClockTime time;
  const char* am_pm = "";

  int32_t value_of(uint8_t code) const {
    switch (code) {
      case LAYOUT_MONTH_DIGIT: return date.month;
      case LAYOUT_DAY_DIGIT: return date.day;
      case LAYOUT_YEAR_DIGIT: return date.year;
      case LAYOUT_HOUR_DIGIT: return time.hours;
      case LAYOUT_MINUTE_DIGIT: return time.minutes;
      default: return time.seconds;
    }
  }
};

bool has_am_pm(const CompiledPicture& p) {
  for (uint32_t i = 0; i < p.count(); ++i) {
    if (p.tokens[i].code == LAYOUT_AMPM) return true;
  }
  return false;
}

ShownFields fields_for(int32_t serial, const CompiledPicture& p) {
  ShownFields f;
  if (p.kind() == PictureKind::date) {
    f.valid = date_fields(serial, f.date);
    return f;
  }
  f.valid = time_fields(serial, f.time) == 0;
  if (f.valid && has_am_pm(p)) {
    const bool pm = f.time.hours >= 12;
    const Locale& loc = locale();
    if (uses_system_am_pm(p)) {
      f.am_pm = pm ? loc.intl().s2359 : loc.intl().s1159;
    } else {
      f.am_pm = pm ? loc.pm_text() : loc.am_text();
    }
    f.time.hours %= 12;
    if (f.time.hours == 0) f.time.hours = 12;
  }
  return f;
}

// One digit field, right-aligned; leading zeros show their position's fill.
void put_number(const CompiledPicture& p, uint32_t first, uint32_t width, int32_t value, char* out) {
  uint32_t modulus_digits = width < 9 ? width : 9;
  int32_t modulus = 1;
  while (modulus_digits-- > 0) modulus *= 10;
  int32_t rest = value % modulus;
  for (uint32_t k = width; k-- > 0;) {
    const bool leading = rest == 0 && k + 1 < width;
    out[k] = leading ? p.tokens[first + k].ch : static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
}

// The month name's letters, one per position while the name lasts; returns
// how many were written.
uint32_t put_month_name(const CompiledPicture& p, int32_t month, uint32_t width, char* out) {
  const Locale& loc = locale();
  const char* name = loc.month_name(static_cast<uint32_t>(month));
  const bool keep_case = p.layout == 4 || p.layout == 18;
  uint32_t n = 0;
  for (; n < width && name != nullptr && name[n] != '\0'; ++n) {
    const uint8_t c = static_cast<uint8_t>(name[n]);
    out[n] = static_cast<char>(keep_case ? c : loc.to_upper(c));
  }
  return n;
}

uint32_t format_date_time(std::string_view value, const CompiledPicture& p, char* out) {
  const uint32_t width = p.count();
  std::memset(out, ' ', width);
  const ShownFields f = fields_for(leading_integer(value), p);
  if (!f.valid && p.blank_when_zero()) return width;
  uint32_t at = 0;  // month names shorter than their field move the rest left
  uint32_t am_pm_index = 0;
  for (uint32_t i = 0; i < width;) {
    const LayoutToken t = p.tokens[i];
    if (is_number_code(t.code) || t.code == LAYOUT_MONTH_LETTER) {
      const uint32_t n = run_length(p, i);
      if (!f.valid) {
        at += n;
      } else if (t.code == LAYOUT_MONTH_LETTER) {
        at += put_month_name(p, f.date.month, n, out + at);
      } else {
        put_number(p, i, n, f.value_of(t.code), out + at);
        at += n;
      }
      i += n;
      continue;
    }
    if (t.code == LAYOUT_AMPM) {
      const char* text = f.am_pm;
      const char c = am_pm_index == 0 ? text[0] : (text[0] != '\0' ? text[1] : '\0');
      out[at] = f.valid && c != '\0' ? c : ' ';
      ++am_pm_index;
    } else {
      out[at] = t.code == LAYOUT_SPACE ? ' ' : t.ch;
    }
    ++at;
    ++i;
  }
  return width;
}

}  // namespace

uint32_t format_text(std::string_view value, const CompiledPicture& picture, char* out) {
  switch (picture.kind()) {
    case PictureKind::string: {
      const uint32_t width = picture.count();
      const uint32_t n = value.size() < width ? static_cast<uint32_t>(value.size()) : width;
      if (n > 0) std::memcpy(out, value.data(), n);
      std::memset(out + n, ' ', width - n);
      return width;
    }
    case PictureKind::date:
    case PictureKind::time:
      return format_date_time(value, picture, out);
    default:
      return 0;
  }
}

namespace {

// Reads a shown text back position by position; positions past its end read
// as NUL, so nothing outside the text is ever touched.
class Reader {
 public:
  Reader(std::string_view text, const CompiledPicture& p) : text_(text), p_(p) {}

  void read() {
    for (uint32_t i = 0; i < p_.count();) {
      const uint8_t code = p_.tokens[i].code;
      if (is_number_code(code)) {
        i += read_number(i);
      } else if (code == LAYOUT_MONTH_LETTER) {
        i += read_month_name(i);
      } else {
        if (code == LAYOUT_AMPM) read_am_pm(i);
        ++i;
      }
    }
  }

  int32_t date_serial_read() const {
    int32_t day = value_[LAYOUT_DAY_DIGIT];
    bool has_day = digits_[LAYOUT_DAY_DIGIT] > 0;
    if (!has_day && p_.layout >= 13 && p_.layout <= 16) {
      day = 1;
      has_day = true;
    }
    const bool has_month = digits_[LAYOUT_MONTH_DIGIT] > 0 || month_from_name_;
    if (!has_month || !has_day || digits_[LAYOUT_YEAR_DIGIT] == 0) return 0;
    int32_t year = value_[LAYOUT_YEAR_DIGIT];
    if (digits_[LAYOUT_YEAR_DIGIT] <= 2) year = complete_year(year, p_.window);
    return DATE(value_[LAYOUT_MONTH_DIGIT], day, year);
  }

  int32_t time_serial_read() const {
    int32_t hours = value_[LAYOUT_HOUR_DIGIT];
    if (pm_ && hours != 12) hours += 12;
    if (am_ && hours == 12) hours = 0;
    const int32_t minutes = value_[LAYOUT_MINUTE_DIGIT];
    const int32_t seconds = value_[LAYOUT_SECOND_DIGIT];
    if (hours > 23 || minutes > 59 || seconds > 59) return -1;
    if (hours == 0 && minutes == 0 && seconds == 0 && !am_ && !pm_) return 0;
    return hours * 360000 + minutes * 6000 + seconds * 100 + 1;
  }

 private:
  char at(int64_t pos) const {
    return pos >= 0 && pos < static_cast<int64_t>(text_.size()) ? text_[static_cast<size_t>(pos)] : '\0';
  }

  // A field written with fewer digits than the picture has ends early: each
  // non-digit after a digit pulls the following positions one to the left.
  uint32_t read_number(uint32_t first) {
    const uint8_t code = p_.tokens[first].code;
    const uint32_t n = run_length(p_, first);
    for (uint32_t k = 0; k < n; ++k) {
      const char c = at(int64_t{first} + k + shift_);
      if (is_digit(c)) {
        if (value_[code] < 100000000) value_[code] = value_[code] * 10 + (c - '0');
        ++digits_[code];
      } else if (digits_[code] > 0) {
        --shift_;
      }
    }
    return n;
  }

  bool is_letter(char c) const {
    const uint8_t b = static_cast<uint8_t>(c);
    return b >= 0x80 || (locale().char_class(b) & (kClassUpper | kClassLower)) != 0;
  }

  // The month from its abbreviation; the word in the text may be shorter or
  // longer than the picture's field, and the following positions follow it.
  uint32_t read_month_name(uint32_t first) {
    const uint32_t n = run_length(p_, first);
    const int64_t pos = int64_t{first} + shift_;
    if (digits_[LAYOUT_MONTH_DIGIT] == 0 && !month_from_name_) match_abbreviation(pos);
    int64_t word = 0;
    while (word < static_cast<int64_t>(text_.size()) && is_letter(at(pos + word))) ++word;
    shift_ += word - n;
    return n;
  }

  void match_abbreviation(int64_t pos) {
    const Locale& loc = locale();
    for (uint32_t month = 1; month <= 12; ++month) {
      const char* abbrev = loc.month_abbrev(month);
      if (abbrev == nullptr || abbrev[0] == '\0') continue;
      bool same = true;
      for (uint32_t k = 0; same && k < kMonthAbbrevCapacity && abbrev[k] != '\0'; ++k) {
        same = loc.to_upper(static_cast<uint8_t>(at(pos + k))) ==
               loc.to_upper(static_cast<uint8_t>(abbrev[k]));
      }
      if (same) {
        value_[LAYOUT_MONTH_DIGIT] = static_cast<int32_t>(month);
        month_from_name_ = true;
        return;
      }
    }
  }

  void read_am_pm(uint32_t i) {
    const char c = at(int64_t{i} + shift_);
    const Locale& loc = locale();
    const char* am = uses_system_am_pm(p_) ? loc.intl().s1159 : loc.am_text();
    const char* pm = uses_system_am_pm(p_) ? loc.intl().s2359 : loc.pm_text();
    if (c == '\0') return;
    if (c == pm[0]) {
      pm_ = true;
    } else if (c == am[0]) {
      am_ = true;
    }
  }

  std::string_view text_;
  const CompiledPicture& p_;
  int64_t shift_ = 0;
  // Indexed by LayoutCode: the value and digit count of each field.
  int32_t value_[LAYOUT_AMPM + 1] = {};
  uint32_t digits_[LAYOUT_AMPM + 1] = {};
  bool month_from_name_ = false;
  bool am_ = false;
  bool pm_ = false;
};

uint32_t decimal_text(int32_t value, char* out, uint32_t capacity) {
  char digits[kNumberTextCapacity];
  const uint32_t length = std::min(format_integer(value, digits), capacity);
  std::memcpy(out, digits, length);
  return length;
}

// Keeps the characters of a number: digits, a sign at the start or right
// after the exponent mark, the first exponent mark and the first point.
uint32_t number_characters(std::string_view text, char* out, uint32_t capacity) {
  uint32_t length = 0;
  bool exponent = false;
  bool point = false;
  for (const char c : text) {
    if (length == capacity) break;
    bool keep = is_digit(c);
    if ((c == '-' || c == '+') && (length == 0 || out[length - 1] == 'e' || out[length - 1] == 'E')) {
      keep = true;
    } else if ((c == 'e' || c == 'E') && !exponent) {
      keep = exponent = true;
    } else if (c == '.' && !point) {
      keep = point = true;
    }
    if (keep) out[length++] = c;
  }
  return length;
}

}  // namespace

uint32_t deformat_text(std::string_view text, const CompiledPicture& picture, char* out,
                       uint32_t capacity) {
  if (picture.count() == 0) return 0;
  if (picture.kind() == PictureKind::string) return number_characters(text, out, capacity);
  Reader reader(text, picture);
  reader.read();
  const int32_t value =
      picture.kind() == PictureKind::date ? reader.date_serial_read() : reader.time_serial_read();
  return decimal_text(value, out, capacity);
}

namespace {

// The picture on top of the stack, compiled and popped.
CompiledPicture pop_picture(StringStack& stack) {
  if (stack.empty()) return compile_picture({});
  stack.make_top_plain();
  const StackEntry& e = stack.peek();
  const CompiledPicture picture = compile_picture(std::string_view(e.text, e.length));
  stack.discard();
  return picture;
}

std::string_view top_text(StringStack& stack) {
  if (stack.empty()) return {};
  stack.make_top_plain();
  const StackEntry& e = stack.peek();
  return {e.text, e.length};
}

void replace_top(StringStack& stack, const char* text, uint32_t length) {
  if (!stack.empty()) stack.discard();
  stack.push_borrowed(text, length);
  stack.make_top_stable();
}

}  // namespace

void FORMAT() {
  StringStack& stack = string_stack();
  const CompiledPicture picture = pop_picture(stack);
  char out[kFormatWidthMax];
  const uint32_t length = format_text(top_text(stack), picture, out);
  replace_top(stack, out, length);
}

void DEFORMAT() {
  StringStack& stack = string_stack();
  const CompiledPicture picture = pop_picture(stack);
  const std::string_view text = top_text(stack);
  if (picture.kind() != PictureKind::string || text.size() <= kFormatWidthMax) {
    char out[kFormatWidthMax];
    const uint32_t length = deformat_text(text, picture, out, sizeof out);
    replace_top(stack, out, length);
    return;
  }
  // A long text through a string picture: the kept characters need a block
  // as long as the text.
  const uint32_t capacity = static_cast<uint32_t>(text.size());
  char* block = static_cast<char*>(svc::allocate(capacity));
  const uint32_t length = block == nullptr ? 0 : deformat_text(text, picture, block, capacity);
  if (!stack.empty()) stack.discard();
  if (block != nullptr && length > 0) {
    stack.push_owned(block, length);
  } else {
    svc::release(block);
    stack.push_empty();
  }
}

}  // namespace rt
