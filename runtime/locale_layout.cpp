// The system-default date and time layouts, built from the "intl" settings
// (iTime, iTLzero, sTime, sShortDate, sLongDate) as token lists that the
// picture compiler wraps when a picture asks for the system layout.
#include <cstring>
#include <initializer_list>

#include "runtime/locale.h"

namespace rt {

namespace {

constexpr const char* kFallbackLongDate = "ddd', 'MMMM' 'dd', 'yyyy";
constexpr uint32_t kMonthNamePositions = 9;
constexpr uint32_t kMonthAbbrevPositions = 3;

// Appends tokens, silently dropping what no longer fits.
class LayoutWriter {
 public:
  explicit LayoutWriter(SystemLayout& layout) : layout_(layout) { layout_.count = 0; }
  void add(char ch, uint8_t code, uint32_t times = 1) {
    for (uint32_t i = 0; i < times && layout_.count < kLayoutCapacity; ++i) {
      layout_.tokens[layout_.count++] = LayoutToken{ch, code};
    }
  }
  // Two digit positions: the first with `first_fill`, the second zero-filled.
  void add_two_digits(uint8_t code, char first_fill) {
    add(first_fill, code);
    add('0', code);
  }

 private:
  SystemLayout& layout_;
};

// --- sShortDate ---

DateOrder order_of_short(const char* pattern) {
  if (pattern[0] == 'd') return DateOrder::day_month_year;
  if (pattern[0] == 'y') return DateOrder::year_month_day;
  return DateOrder::month_day_year;
}

// Whether the first occurrence of `letter` is doubled.
bool first_doubled(const char* pattern, char letter) {
  const char* p = std::strchr(pattern, letter);
  return p != nullptr && p[1] == letter;
}

char short_separator(const char* pattern) {
  const char* last = std::strrchr(pattern, 'M');
  if (last == nullptr || last[1] == '\0') return '/';
  return last[1];
}

// --- sLongDate ---

// One piece of a long date pattern: a run of a field letter, or literal text
// (quoted pieces and unquoted characters between runs).
struct Piece {
  char letter;  // 'd', 'M', 'y', or 0 for literal text
  uint32_t count;
  char text[256];
};

constexpr uint32_t kMaxPieces = 32;

bool is_field_letter(char c) {
  return c == 'd' || c == 'M' || c == 'y';
}

// Splits a pattern into runs and literal pieces; returns the piece count.
uint32_t split_long_pattern(const char* pattern, Piece* pieces) {
  uint32_t n = 0;
  const char* p = pattern;
  while (*p != '\0' && n < kMaxPieces) {
    Piece& piece = pieces[n++];
    piece.count = 0;
    if (is_field_letter(*p)) {
      piece.letter = *p;
      while (*p == piece.letter) ++p, ++piece.count;
      continue;
    }
    piece.letter = 0;
    while (*p != '\0' && !is_field_letter(*p)) {
      if (*p != '\'') {
        if (piece.count < sizeof piece.text - 1) piece.text[piece.count++] = *p;
        ++p;
        continue;
      }
      // Quoted text; two single quotes stand for one.
      for (++p; *p != '\0'; ++p) {
        if (*p == '\'' && p[1] != '\'') break;
        if (*p == '\'') ++p;
        if (piece.count < sizeof piece.text - 1) piece.text[piece.count++] = *p;
      }
      if (*p == '\'') ++p;
    }
    piece.text[piece.count] = '\0';
  }
  return n;
}

// Index of the first run of `letter`, or -1.
int first_run(const Piece* pieces, uint32_t n, char letter, uint32_t from) {
  for (uint32_t i = from; i < n; ++i) {
    if (pieces[i].letter == letter) return static_cast<int>(i);
  }
  return -1;
}

bool is_day_of_week(const Piece& piece) {
  return piece.letter == 'd' && (piece.count == 3 || piece.count == 4);
}

void add_long_field(LayoutWriter& out, const Piece* pieces, uint32_t n, char letter) {
  int at = first_run(pieces, n, letter, 0);
  if (at < 0) return;
  uint32_t count = pieces[at].count;
  bool month_name = false;
  if (letter == 'y') {
    out.add('0', LAYOUT_YEAR_DIGIT, count < 4 ? count : 4);
  } else if (letter == 'd') {
    out.add_two_digits(LAYOUT_DAY_DIGIT, count >= 2 ? '0' : ' ');
  } else if (count <= 2) {
    out.add_two_digits(LAYOUT_MONTH_DIGIT, count == 2 ? '0' : ' ');
  } else {
    month_name = true;
    out.add(' ', LAYOUT_MONTH_LETTER, count == 3 ? kMonthAbbrevPositions : kMonthNamePositions);
  }
  if (static_cast<uint32_t>(at) + 1 >= n || pieces[at + 1].letter != 0) return;
  const Piece& sep = pieces[at + 1];
  for (uint32_t i = 0; i < sep.count; ++i) {
    // A space next to a month name is a space token, never replaced.
    bool space_token = month_name && sep.text[i] == ' ';
    out.add(sep.text[i], space_token ? LAYOUT_SPACE : LAYOUT_LITERAL);
  }
}

const char* field_letters(DateOrder order) {
  switch (order) {
    case DateOrder::day_month_year:
      return "dMy";
    case DateOrder::year_month_day:
      return "yMd";
    default:
      return "Mdy";
  }
}

}  // namespace

void Locale::build_time_layouts(const IntlSettings& intl) {
  for (SystemLayout* layout : {&short_time_, &long_time_}) {
    LayoutWriter out(*layout);
    out.add_two_digits(LAYOUT_HOUR_DIGIT, intl.hour_zero == 1 ? '0' : ' ');
    out.add(intl.time_separator, LAYOUT_LITERAL);
    out.add_two_digits(LAYOUT_MINUTE_DIGIT, '0');
    if (layout == &long_time_) {
      out.add(intl.time_separator, LAYOUT_LITERAL);
      out.add_two_digits(LAYOUT_SECOND_DIGIT, '0');
    }
    if (intl.time_format == 0) {
      out.add(' ', LAYOUT_SPACE);
      out.add(' ', LAYOUT_AMPM, 2);
    }
  }
}

void Locale::build_short_date_layout(const char* pattern) {
  short_date_.order = order_of_short(pattern);
  char separator = short_separator(pattern);
  LayoutWriter out(short_date_);
  const char* letters = field_letters(short_date_.order);
  for (int i = 0; i < 3; ++i) {
    if (i > 0) out.add(separator, LAYOUT_LITERAL);
    switch (letters[i]) {
      case 'd':
        out.add_two_digits(LAYOUT_DAY_DIGIT, first_doubled(pattern, 'd') ? '0' : ' ');
        break;
      case 'M':
        out.add_two_digits(LAYOUT_MONTH_DIGIT, first_doubled(pattern, 'M') ? '0' : ' ');
        break;
      default: {
        const char* y = std::strchr(pattern, 'y');
        bool four = y != nullptr && y[1] == 'y' && y[2] == 'y';
        out.add('0', LAYOUT_YEAR_DIGIT, four ? 4 : 2);
      }
    }
  }
}

void Locale::build_long_date_layout(const char* pattern) {
  Piece pieces[kMaxPieces];
  uint32_t n = split_long_pattern(pattern, pieces);
  // A leading day-of-week field is not shown and does not decide the order.
  uint32_t from = n > 0 && is_day_of_week(pieces[0]) ? 1 : 0;
  int first = -1;
  for (uint32_t i = from; i < n && first < 0; ++i) {
    if (pieces[i].letter != 0) first = static_cast<int>(i);
  }
  if (first < 0) {
    if (std::strcmp(pattern, kFallbackLongDate) != 0) build_long_date_layout(kFallbackLongDate);
    return;
  }
  char decider = pieces[first].letter;
  long_date_.order = decider == 'y'   ? DateOrder::year_month_day
                     : decider == 'd' ? DateOrder::day_month_year
                                      : DateOrder::month_day_year;
  LayoutWriter out(long_date_);
  for (const char* letter = field_letters(long_date_.order); *letter != '\0'; ++letter) {
    add_long_field(out, pieces, n, *letter);
  }
}

}  // namespace rt
