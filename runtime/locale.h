// The locale tables: collation weights, character classes, case partners,
// digraphs, month names, AM/PM texts, the system date and time layouts and
// the message overrides. Filled once at start-up from the "intl" profile
// section and the environment file beside the program; read-only afterwards.
#pragma once

#include <cstdint>

namespace rt {

constexpr uint32_t kDigraphCapacity = 16;
constexpr uint32_t kMonthNameCapacity = 12;   // characters of a month name
constexpr uint32_t kMonthAbbrevCapacity = 3;  // characters of an abbreviation
constexpr uint32_t kAmPmCapacity = 2;         // characters of an AM/PM text

// Character classes.
constexpr uint8_t kClassUpper = 1;
constexpr uint8_t kClassLower = 2;
constexpr uint8_t kClassDigit = 4;

// The token codes of a display layout, shared with the picture compiler.
enum LayoutCode : uint8_t {
  LAYOUT_SPACE = 0,  // a space next to a month name; never replaced by a separator
  LAYOUT_MONTH_DIGIT = 7,
  LAYOUT_DAY_DIGIT = 8,
  LAYOUT_YEAR_DIGIT = 9,
  LAYOUT_MONTH_LETTER = 10,
  LAYOUT_HOUR_DIGIT = 11,
  LAYOUT_MINUTE_DIGIT = 12,
  LAYOUT_SECOND_DIGIT = 13,
  LAYOUT_LITERAL = 19,
  LAYOUT_AMPM = 20,
};

// One position of a layout: for digit and letter codes `ch` is the fill
// ('0' or ' '), for literals the character itself.
struct LayoutToken {
  char ch;
  uint8_t code;
};
static_assert(sizeof(LayoutToken) == 2);

// Field order of a date layout.
enum class DateOrder : uint8_t { month_day_year, day_month_year, year_month_day };

constexpr uint32_t kLayoutCapacity = 64;

// A system-default layout as a token list, for the picture compiler to wrap
// into its compiled form when a picture asks for the system layout.
struct SystemLayout {
  DateOrder order = DateOrder::month_day_year;  // dates only
  uint8_t count = 0;
  LayoutToken tokens[kLayoutCapacity] = {};
};

// The "intl" settings that the layouts and BRIAMPM=WINDOWS read.
struct IntlSettings {
  int32_t time_format = 0;  // iTime: 0 12-hour clock, 1 24-hour
  int32_t hour_zero = 1;    // iTLzero: 1 zero-fills the hour
  char time_separator = ':';
  char s1159[kAmPmCapacity + 1] = "AM";
  char s2359[kAmPmCapacity + 1] = "PM";
};

// A digraph: a character and the two characters it stands for.
struct Digraph {
  char ch;
  char first;
  char second;
  char nul;
};
static_assert(sizeof(Digraph) == 4);

struct MessageOverride;  // list node, heap-allocated

class Locale {
 public:
  Locale();
  ~Locale();
  Locale(const Locale&) = delete;
  Locale& operator=(const Locale&) = delete;

  // Runs the start-up initialisation once: "intl", layouts, OEM collation
  // copy, the environment file, error cleared. A second call does nothing.
  void initialise();
  // Back to the initial content (English, byte-value collation, ASCII case,
  // no overrides), ready to initialise again. Used between tests.
  void reset();

  // --- the tables ---
  uint8_t weight(uint8_t c) const { return collation_ansi_[c]; }
  uint8_t weight_oem(uint8_t c) const { return collation_oem_[c]; }
  uint8_t char_class(uint8_t c) const { return char_class_[c]; }
  uint8_t case_partner(uint8_t c) const { return case_partner_[c]; }
  // weight(a) - weight(b)
  int32_t collate(uint8_t a, uint8_t b) const { return int32_t{weight(a)} - int32_t{weight(b)}; }
  bool is_upper(uint8_t c) const { return char_class_[c] == kClassUpper; }
  bool is_alnum(uint8_t c) const { return char_class_[c] != 0; }
  uint8_t to_upper(uint8_t c) const { return char_class_[c] == kClassLower ? case_partner_[c] : c; }
  uint8_t to_lower(uint8_t c) const { return char_class_[c] == kClassUpper ? case_partner_[c] : c; }

  bool digraphs_in_use() const { return digraphs_[0].ch != 0; }
  // The digraph entry for c, or null.
  const Digraph* digraph_of(uint8_t c) const;
  const Digraph* digraphs() const { return digraphs_; }
  const Digraph* digraphs_oem() const { return digraphs_oem_; }

  // NUL-terminated, at most 12 / 3 / 2 characters. month is 1 to 12.
  const char* month_name(uint32_t month) const;
  const char* month_abbrev(uint32_t month) const;
  const char* am_text() const { return am_pm_[0]; }
  const char* pm_text() const { return am_pm_[1]; }

  bool oem_charset() const { return oem_charset_; }
  bool long_file_names() const { return long_file_names_; }
  const IntlSettings& intl() const { return intl_; }

  // System-default layouts built from "intl".
  const SystemLayout& short_date_layout() const { return short_date_; }
  const SystemLayout& long_date_layout() const { return long_date_; }
  const SystemLayout& short_time_layout() const { return short_time_; }
  const SystemLayout& long_time_layout() const { return long_time_; }

  // The override text for a message number, or null.
  const char* message_override(int32_t number) const;

  // --- changes, as the environment file applies them ---
  void set_message_override(int32_t number, const char* text, uint32_t length);
  void set_oem_charset(bool on) { oem_charset_ = on; }
  void set_long_file_names(bool on) { long_file_names_ = on; }
  // Back to weight b for byte b in both tables.
  void reset_collation();
  // Sets the ANSI table (oem = false) or the OEM table (oem = true) from a
  // collating sequence; bytes not in it weigh their own value.
  void apply_collating_sequence(const char* sequence, uint32_t length, bool oem);
  // Back to ASCII case pairs only.
  void reset_case();
  // Clears classes and partners of 128..255, then pairs the two lists.
  void apply_case_pairs(const char* upper, uint32_t upper_length, const char* lower,
                        uint32_t lower_length);
  void set_month_name(uint32_t month, const char* text, uint32_t length);
  void set_month_abbrev(uint32_t month, const char* text, uint32_t length);
  void set_am_text(const char* text, uint32_t length);
  void set_pm_text(const char* text, uint32_t length);
  // Groups of three characters, at most 16; rebuilds the OEM copy.
  void set_digraphs(const char* groups, uint32_t group_count);

  // Layout building from "intl" (exposed for tests).
  void build_time_layouts(const IntlSettings& intl);
  void build_short_date_layout(const char* pattern);
  void build_long_date_layout(const char* pattern);

 private:
  void release_overrides();

  uint8_t collation_ansi_[256];
  uint8_t collation_oem_[256];
  uint8_t char_class_[256];
  uint8_t case_partner_[256];
  Digraph digraphs_[kDigraphCapacity];
  Digraph digraphs_oem_[kDigraphCapacity];
  char month_names_[12][kMonthNameCapacity + 1];
  char month_abbrevs_[12][kMonthAbbrevCapacity + 1];
  char am_pm_[2][kAmPmCapacity + 1];
  bool oem_charset_ = false;
  bool long_file_names_ = false;
  bool initialised_ = false;
  IntlSettings intl_;
  SystemLayout short_date_;
  SystemLayout long_date_;
  SystemLayout short_time_;
  SystemLayout long_time_;
  MessageOverride* overrides_ = nullptr;
};

// The process-wide locale.
Locale& locale();

}  // namespace rt
