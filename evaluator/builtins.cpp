#include "evaluator/builtins.h"

#include <cmath>

#include "evaluator/builtin_table.h"
#include "evaluator/evaluate.h"
#include "evaluator/match.h"
#include "runtime/date_time.h"
#include "runtime/ini.h"
#include "runtime/number_text.h"
#include "runtime/picture_format.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"
#include "services/heap.h"

namespace eval {
namespace {

// The defaults the language passes for absent trailing arguments.
constexpr std::int32_t default_sub_start = 1;
constexpr std::int32_t default_sub_length = -1;  // to the end
constexpr std::int32_t default_all_length = 255;
constexpr std::int32_t default_age_base = -1;  // today
constexpr std::int32_t default_instring_step = 1;
constexpr std::int32_t default_instring_start = 1;

rt::StringStack& stack() {
  return rt::string_stack();
}

const node* arg(const node& call, std::uint32_t i) {
  return i < call.arg_count ? call.args[i] : nullptr;
}

void push_arg(const node& call, std::uint32_t i) {
  if (const node* a = arg(call, i))
    push_string(*a);
  else
    stack().push_empty();
}

std::int32_t integer_arg(const node& call, std::uint32_t i, std::int32_t absent = 0) {
  const node* a = arg(call, i);
  return a != nullptr ? integer_value(*a) : absent;
}

double real_arg(const node& call, std::uint32_t i, double absent = 0) {
  const node* a = arg(call, i);
  return a != nullptr ? real_value(*a) : absent;
}

// A width for LEFT, RIGHT and CENTER: absent or negative keeps the
// string's own length.
std::int32_t width_arg(const node& call) {
  std::int32_t n = integer_arg(call, 1, rt::kLengthOmitted);
  return n < 0 ? rt::kLengthOmitted : n;
}

// The state of RANDOM: a xorshift sequence seeded from the clock on first use.
struct random_source {
  std::uint64_t state = 0;

  std::uint64_t next() {
    if (state == 0) {
      state = (static_cast<std::uint64_t>(rt::TODAY()) << 32) ^
              static_cast<std::uint32_t>(rt::CLOCK()) ^ 0x9E3779B97F4A7C15ull;
    }
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
  }
};

random_source& randoms() {
  static random_source source;
  return source;
}

// RANDOM(low, high): an integer drawn evenly from low to high inclusive (the
// bounds in either order).
std::int32_t random_between(std::int32_t a, std::int32_t b) {
  std::int64_t low = a < b ? a : b;
  std::int64_t high = a < b ? b : a;
  auto span = static_cast<std::uint64_t>(high - low) + 1;
  return static_cast<std::int32_t>(low + static_cast<std::int64_t>(randoms().next() % span));
}

// BSHIFT(x, n): x shifted left by n bits, or right (filling with zeros) by
// -n bits for a negative n; 32 bits or more leave 0.
std::int32_t bit_shift(std::int32_t x, std::int32_t n) {
  auto bits = static_cast<std::uint32_t>(x);
  if (n >= 32 || n <= -32) return 0;
  return static_cast<std::int32_t>(n >= 0 ? bits << n : bits >> -n);
}

// ROUND(x, step): x to the nearest multiple of step (1 when absent or 0),
// halves away from zero. The quotient is nudged by a few units in the last
// place first, so that 2.675 rounds to 2.68 although its binary value lies
// just below.
double round_to(double x, double step) {
  step = std::fabs(step);
  if (step == 0) step = 1;
  double quotient = x / step;
  return finite_or_zero(std::round(quotient * (1 + 1e-12)) * step);
}

// CHOOSE(n, a1, ..., ak): a_n for 1 <= n <= k, otherwise the last supplied
// argument. Only the chosen argument is evaluated.
void choose(const node& call) {
  std::int32_t n = integer_arg(call, 0);
  std::uint32_t supplied = call.arg_count > 0 ? call.arg_count - 1 : 0;
  if (supplied == 0) return stack().push_empty();
  std::uint32_t pick = n >= 1 && static_cast<std::uint32_t>(n) <= supplied ? n : supplied;
  push_arg(call, pick);
}

// INLIST(value, item, ...): the number of the first item equal to the value
// by the collating comparison, or 0. Items are compared one at a time so the
// call needs only two string-stack entries however many items it has.
std::int32_t inlist(const node& call) {
  push_arg(call, 0);
  rt::HeapString value = stack().pop_into_heap();
  std::int32_t found = 0;
  for (std::uint32_t i = 1; i < call.arg_count && found == 0; ++i) {
    stack().push_borrowed(value.text, value.length);
    push_arg(call, i);
    if (rt::compare() == 0) found = static_cast<std::int32_t>(i);
  }
  rt::release_heap_string(value);
  return found;
}

// VAL(s): the byte value of the first character, 0 for an empty string.
std::int32_t first_byte(const node& call) {
  push_arg(call, 0);
  stack().make_top_plain();
  const rt::StackEntry& top = stack().peek();
  std::int32_t value = top.length > 0 ? static_cast<unsigned char>(top.text[0]) : 0;
  stack().discard();
  return value;
}

// MEMORY(x): the bytes free in the runtime heap's arenas (the argument is
// evaluated and ignored).
std::int32_t free_memory(const node& call) {
  if (const node* a = arg(call, 0)) integer_value(*a);
  std::uint64_t free_bytes = svc::process_heap().validate().free_bytes;
  return free_bytes > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(free_bytes);
}

void push_character(std::int32_t n) {
  char c = static_cast<char>(n & 0xFF);
  stack().push_borrowed(&c, 1);
  stack().make_top_stable();  // copy the byte off this frame
}

// Pushes the arguments from the first to the last supplied, the runtime
// operations' own order, with absent ones empty up to `count`.
void push_args(const node& call, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) push_arg(call, i);
}

}  // namespace

double finite_or_zero(double value) {
  return std::isfinite(value) ? value : 0.0;
}

void builtin_string(const node& call) {
  switch (call.code) {
    case fn_center:
      push_arg(call, 0);
      return rt::center(width_arg(call));
    case fn_left:
      push_arg(call, 0);
      return rt::left(width_arg(call));
    case fn_right:
      push_arg(call, 0);
      return rt::right(width_arg(call));
    case fn_age:
      return rt::AGE(integer_arg(call, 0), integer_arg(call, 1, default_age_base));
    case fn_all: {
      std::int32_t n = integer_arg(call, 1, default_all_length);
      push_arg(call, 0);
      return rt::all(n > 0 ? static_cast<std::uint32_t>(n) : 0);
    }
    case fn_choose:
      return choose(call);
    case fn_chr:
      return push_character(integer_arg(call, 0));
    case fn_clip:
      push_arg(call, 0);
      return rt::clip();
    case fn_format:
      push_args(call, 2);
      return rt::FORMAT();
    case fn_deformat:
      push_args(call, 2);
      return rt::DEFORMAT();
    case fn_getini:
      push_args(call, 4);
      return rt::GETINI();
    case fn_lower:
      push_arg(call, 0);
      return rt::lower();
    case fn_upper:
      push_arg(call, 0);
      return rt::upper();
    case fn_sub: {
      std::int32_t start = integer_arg(call, 1, default_sub_start);
      std::int32_t length = integer_arg(call, 2, default_sub_length);
      push_arg(call, 0);
      return rt::sub(start, length);
    }
    default:
      return stack().push_empty();
  }
}

std::int32_t builtin_integer(const node& call) {
  switch (call.code) {
    case fn_int:
      return rt::real_to_integer(real_arg(call, 0));
    case fn_band:
      return integer_arg(call, 0) & integer_arg(call, 1);
    case fn_bor:
      return integer_arg(call, 0) | integer_arg(call, 1);
    case fn_bxor:
      return integer_arg(call, 0) ^ integer_arg(call, 1);
    case fn_bshift:
      return bit_shift(integer_arg(call, 0), integer_arg(call, 1));
    case fn_day:
      return rt::DAY(integer_arg(call, 0));
    case fn_month:
      return rt::MONTH(integer_arg(call, 0));
    case fn_year:
      return rt::YEAR(integer_arg(call, 0));
    case fn_clock:
      return rt::CLOCK();
    case fn_today:
      return rt::TODAY();
    case fn_date:
      return rt::DATE(integer_arg(call, 0), integer_arg(call, 1), integer_arg(call, 2));
    case fn_inrange: {
      double x = real_arg(call, 0), low = real_arg(call, 1), high = real_arg(call, 2);
      return low <= x && x <= high ? 1 : 0;
    }
    case fn_instring: {
      std::int32_t step = integer_arg(call, 2, default_instring_step);
      std::int32_t start = integer_arg(call, 3, default_instring_start);
      push_args(call, 2);
      return rt::instring(step >= 0 ? static_cast<std::uint32_t>(step) : 1, start);
    }
    case fn_random:
      return random_between(integer_arg(call, 0), integer_arg(call, 1));
    case fn_len:
      push_arg(call, 0);
      return static_cast<std::int32_t>(rt::len());
    case fn_match: {
      std::int32_t mode = integer_arg(call, 2, default_match_mode);
      push_arg(call, 1);  // the pattern below
      push_arg(call, 0);  // the value on top
      return match_from_stack(mode);
    }
    case fn_memory:
      return free_memory(call);
    case fn_numeric:
      push_arg(call, 0);
      return rt::numeric();
    case fn_val:
      return first_byte(call);
    case fn_null:
      push_arg(call, 0);
      return rt::truth() ? 0 : 1;
    case fn_inlist:
      return inlist(call);
    default:
      return 0;
  }
}

double builtin_real(const node& call) {
  double x = real_arg(call, 0);
  switch (call.code) {
    case fn_abs:
      return std::fabs(x);
    case fn_round:
      return round_to(x, real_arg(call, 1, 1));
    case fn_sqrt:
      return finite_or_zero(std::sqrt(x));
    case fn_sin:
      return finite_or_zero(std::sin(x));
    case fn_cos:
      return finite_or_zero(std::cos(x));
    case fn_tan:
      return finite_or_zero(std::tan(x));
    case fn_asin:
      return finite_or_zero(std::asin(x));
    case fn_acos:
      return finite_or_zero(std::acos(x));
    case fn_atan:
      return finite_or_zero(std::atan(x));
    case fn_loge:
      return finite_or_zero(std::log(x));
    case fn_log10:
      return finite_or_zero(std::log10(x));
    default:
      return 0;
  }
}

void reset_builtins() {
  randoms().state = 0;
}

void seed_random(std::uint64_t seed) {
  randoms().state = seed != 0 ? seed : 1;
}

}  // namespace eval
