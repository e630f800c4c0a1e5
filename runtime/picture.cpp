#include "runtime/picture.h"

#include "runtime/date_time.h"

namespace rt {
namespace {

// Standard layouts as forms: M/m month, D/d day, y year, N month letter,
// H/h hour, m (time) minute, s second, P AM/PM; an upper-case digit letter
// is space-filled, a lower-case one zero-filled; a space is a space token,
// anything else a literal. Null entries are the system layouts of the locale.
// ORDER: date layout numbers 1 to 18.
constexpr const char* kDateForms[kDateLayoutCount] = {
    "Mm/dd/yy",   "Mm/dd/yyyy",  "NNN Dd,yyyy", "NNNNNNNNNNNN Dd, yyyy", "Dd/mm/yy", "Dd/mm/yyyy",
    "Dd NNN yy",  "Dd NNN yyyy", "yy/mm/dd",    "yyyy/mm/dd",            "yymmdd",   "yyyymmdd",
    "Mm/yy",      "Mm/yyyy",     "yy/mm",       "yyyy/mm",               nullptr,    nullptr,
};
static_assert(sizeof(kDateForms) / sizeof(kDateForms[0]) == kDateLayoutCount);

// ORDER: time layout numbers 1 to 8.
constexpr const char* kTimeForms[kTimeLayoutCount] = {
    "Hh:mm", "Hhmm", "Hh:mmPP", "Hh:mm:ss", "Hhmmss", "Hh:mm:ssPP", nullptr, nullptr,
};
static_assert(sizeof(kTimeForms) / sizeof(kTimeForms[0]) == kTimeLayoutCount);

LayoutToken date_form_token(char c) {
  switch (c) {
    case 'M': return {' ', LAYOUT_MONTH_DIGIT};
    case 'm': return {'0', LAYOUT_MONTH_DIGIT};
    case 'D': return {' ', LAYOUT_DAY_DIGIT};
    case 'd': return {'0', LAYOUT_DAY_DIGIT};
    case 'y': return {'0', LAYOUT_YEAR_DIGIT};
    case 'N': return {' ', LAYOUT_MONTH_LETTER};
    case ' ': return {' ', LAYOUT_SPACE};
    default: return {c, LAYOUT_LITERAL};
  }
}

LayoutToken time_form_token(char c) {
  switch (c) {
    case 'H': return {' ', LAYOUT_HOUR_DIGIT};
    case 'h': return {'0', LAYOUT_HOUR_DIGIT};
    case 'm': return {'0', LAYOUT_MINUTE_DIGIT};
    case 's': return {'0', LAYOUT_SECOND_DIGIT};
    case 'P': return {' ', LAYOUT_AMPM};
    case ' ': return {' ', LAYOUT_SPACE};
    default: return {c, LAYOUT_LITERAL};
  }
}

// Reads the picture text left to right; every read is bounds-checked.
struct Cursor {
  std::string_view text;
  size_t at = 0;

  bool done() const { return at >= text.size(); }
  char peek() const { return done() ? '\0' : text[at]; }
  bool take(char c) {
    if (done() || text[at] != c) return false;
    ++at;
    return true;
  }
  bool at_digit() const { return !done() && peek() >= '0' && peek() <= '9'; }
  // A decimal number of at most 3 digits; -1 when none is there.
  int32_t number() {
    if (!at_digit()) return -1;
    int32_t n = 0;
    for (int digits = 0; at_digit() && digits < 3; ++digits) n = n * 10 + (text[at++] - '0');
    return at_digit() ? -1 : n;
  }
};

bool is_digit_code(uint8_t code) {
  return (code >= LAYOUT_MONTH_DIGIT && code <= LAYOUT_MONTH_LETTER) ||
         (code >= LAYOUT_HOUR_DIGIT && code <= LAYOUT_SECOND_DIGIT);
}

void set_header(CompiledPicture& p, PictureKind kind, bool blank, uint32_t count) {
  p.header = static_cast<uint16_t>(static_cast<uint16_t>(kind) | (blank ? kHeaderBlankFlag : 0) |
                                   ((count & kHeaderCountMask) << kHeaderCountShift));
}

uint32_t fill_tokens(CompiledPicture& p, PictureKind kind, uint32_t layout) {
  const char* form = kind == PictureKind::date ? kDateForms[layout - 1] : kTimeForms[layout - 1];
  if (form == nullptr) {
    const Locale& loc = locale();
    const SystemLayout& system =
        kind == PictureKind::date ? (layout == 17 ? loc.short_date_layout() : loc.long_date_layout())
                                  : (layout == 7 ? loc.short_time_layout() : loc.long_time_layout());
    uint32_t n = system.count < kPictureTokenCapacity ? system.count : kPictureTokenCapacity;
    for (uint32_t i = 0; i < n; ++i) p.tokens[i] = system.tokens[i];
    return n;
  }
  uint32_t n = 0;
  for (; form[n] != '\0'; ++n) {
    p.tokens[n] = kind == PictureKind::date ? date_form_token(form[n]) : time_form_token(form[n]);
  }
  return n;
}

// The fill mark's character, or 0 when the cursor is not at a fill mark.
char fill_mark(Cursor& c) {
  if (c.take('_')) return ' ';
  if (c.take('*')) return '*';
  // "0" is a fill mark only when a layout number follows it.
  if (c.peek() == '0' && c.at + 1 < c.text.size() && c.text[c.at + 1] >= '1' &&
      c.text[c.at + 1] <= '9') {
    ++c.at;
    return '0';
  }
  return 0;
}

// The separator's character, 0 when none is given, -1 when the text holds
// something that is not a separator.
int separator(Cursor& c) {
  if (c.done()) return 0;
  char sep = 0;
  switch (c.peek()) {
    case '.': sep = '.'; break;
    case '-': sep = '-'; break;
    case '_': sep = ' '; break;
    case '`': sep = ','; break;
    case 'v': sep = '0'; break;
    default: return -1;
  }
  ++c.at;
  return c.done() ? sep : -1;
}

// The century window after the layout number, in years back; -1 when the
// window mark is malformed.
int32_t century_window(Cursor& c) {
  if (c.take('<')) {
    const int32_t w = c.at_digit() ? c.number() : kDefaultCenturyWindow;
    return w >= 0 && w <= 99 ? w : -1;
  }
  if (c.take('>')) {
    const int32_t ahead = c.at_digit() ? c.number() : kDefaultCenturyWindow;
    return ahead >= 0 && ahead <= 99 ? 99 - ahead : -1;
  }
  return kDefaultCenturyWindow;
}

CompiledPicture compile_date_time(Cursor& c, PictureKind kind, bool blank) {
  CompiledPicture p;
  const char fill = fill_mark(c);
  const int32_t layout = c.number();
  const int32_t last = kind == PictureKind::date ? kDateLayoutCount : kTimeLayoutCount;
  if (layout < 1 || layout > last) return {};
  const int32_t window = kind == PictureKind::date ? century_window(c) : kDefaultCenturyWindow;
  const int sep = separator(c);
  if (window < 0 || sep < 0) return {};
  const uint32_t count = fill_tokens(p, kind, static_cast<uint32_t>(layout));
  for (uint32_t i = 0; i < count; ++i) {
    LayoutToken& t = p.tokens[i];
    if (sep != 0 && t.code == LAYOUT_LITERAL) t.ch = static_cast<char>(sep);
    if (fill != 0 && is_digit_code(t.code)) t.ch = fill;
  }
  p.layout = static_cast<uint8_t>(layout);
  p.window = static_cast<uint8_t>(window);
  set_header(p, kind, blank, count);
  return p;
}

CompiledPicture compile_string(Cursor& c, bool blank) {
  const int32_t length = c.number();
  if (length < 1 || length > static_cast<int32_t>(kStringPictureMax) || !c.done()) return {};
  CompiledPicture p;
  set_header(p, PictureKind::string, blank, static_cast<uint32_t>(length));
  return p;
}

}  // namespace

CompiledPicture compile_picture(std::string_view text) {
  if (text.size() > kPictureTextMax) text = text.substr(0, kPictureTextMax);
  if (!text.empty() && text.front() == '@') text.remove_prefix(1);
  if (text.empty()) {
    CompiledPicture p;
    set_header(p, PictureKind::string, false, kStringPictureMax);
    return p;
  }
  bool blank = false;
  if (text.back() == 'B' || text.back() == 'b') {
    blank = true;
    text.remove_suffix(1);
  }
  Cursor c{text.substr(text.empty() ? 0 : 1)};
  switch (text.empty() ? '\0' : text.front()) {
    case 'S': case 's': return compile_string(c, blank);
    case 'D': case 'd': return compile_date_time(c, PictureKind::date, blank);
    case 'T': case 't': return compile_date_time(c, PictureKind::time, blank);
    default: return {};
  }
}

}  // namespace rt
