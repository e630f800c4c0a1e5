// The built-in functions and word operators that every names table holds.
#pragma once

#include <cstdint>
#include <span>

#include "evaluator/names_table.h"

namespace eval {

// Built-in function codes; 0 is a bound procedure.
enum builtin_code : std::uint8_t {
  bound_call = 0,
  fn_memory = 1,
  fn_sub = 2,
  fn_instring = 3,
  fn_clip = 4,
  fn_all = 5,
  fn_center = 6,
  fn_chr = 7,
  fn_deformat = 8,
  fn_format = 9,
  fn_left = 10,
  fn_len = 11,
  fn_lower = 12,
  fn_numeric = 13,
  fn_right = 14,
  fn_upper = 15,
  fn_val = 16,
  fn_abs = 17,
  fn_inrange = 18,
  fn_int = 19,
  fn_loge = 20,
  fn_log10 = 21,
  fn_random = 22,
  fn_round = 23,
  fn_sqrt = 24,
  fn_sin = 25,
  fn_cos = 26,
  fn_tan = 27,
  fn_asin = 28,
  fn_acos = 29,
  fn_atan = 30,
  fn_band = 31,
  fn_bor = 32,
  fn_bxor = 33,
  fn_bshift = 34,
  fn_today = 35,
  fn_clock = 36,
  fn_date = 37,
  fn_day = 38,
  fn_month = 39,
  fn_year = 40,
  fn_age = 41,
  fn_choose = 42,
  fn_inlist = 43,
  fn_getini = 44,
  fn_match = 45,
  fn_null = 46,
  builtin_code_count
};

// Operator codes, shared by the lexer, the parser and evaluation.
enum operator_code : std::uint8_t {
  op_power = 2,
  op_multiply = 3,
  op_divide = 4,
  op_remainder = 5,
  op_negate = 6,
  op_add = 7,
  op_subtract = 8,
  op_concat = 9,
  op_equal = 10,
  op_not_equal = 11,
  op_less = 12,
  op_greater = 13,
  op_less_equal = 14,
  op_greater_equal = 15,
  op_not = 16,
  op_and = 17,
  op_or = 18,
  op_xor = 19,
  op_comma = 20,
  op_colon = 21,
};

struct builtin_row {
  const char* name;
  entry_kind kind;  // function or word operator
  std::uint8_t max_args;
  value_class result;
  std::uint8_t code;  // function code, or operator code for a word operator
};

// The rows in the order they enter a table: that order shapes the tree.
std::span<const builtin_row> builtin_rows();

}  // namespace eval
