#include "evaluator/builtin_table.h"

namespace eval {
namespace {

constexpr entry_kind fn = entry_kind::function;
constexpr entry_kind word = entry_kind::word_operator;
constexpr value_class integer = value_class::integer;
constexpr value_class real = value_class::real;
constexpr value_class string = value_class::string;
constexpr value_class none = value_class::none;

constexpr builtin_row rows[] = {
    {"INT", fn, 1, integer, fn_int},
    {"CENTER", fn, 2, string, fn_center},
    {"ASIN", fn, 1, real, fn_asin},
    {"AGE", fn, 2, string, fn_age},
    {"ABS", fn, 1, real, fn_abs},
    {"ACOS", fn, 1, real, fn_acos},
    {"ALL", fn, 2, string, fn_all},
    {"AND", word, 0, none, op_and},
    {"BOR", fn, 2, integer, fn_bor},
    {"ATAN", fn, 1, real, fn_atan},
    {"BAND", fn, 2, integer, fn_band},
    {"BSHIFT", fn, 2, integer, fn_bshift},
    {"BXOR", fn, 2, integer, fn_bxor},
    {"DAY", fn, 1, integer, fn_day},
    {"CLOCK", fn, 0, integer, fn_clock},
    {"CHOOSE", fn, 25, string, fn_choose},
    {"CHR", fn, 1, string, fn_chr},
    {"CLIP", fn, 1, string, fn_clip},
    {"COS", fn, 1, real, fn_cos},
    {"DATE", fn, 3, integer, fn_date},
    {"INRANGE", fn, 3, integer, fn_inrange},
    {"DEFORMAT", fn, 2, string, fn_deformat},
    {"FORMAT", fn, 2, string, fn_format},
    {"GETINI", fn, 4, string, fn_getini},
    {"INSTRING", fn, 4, integer, fn_instring},
    {"RANDOM", fn, 2, integer, fn_random},
    {"LOWER", fn, 1, string, fn_lower},
    {"LOG10", fn, 1, real, fn_log10},
    {"LEFT", fn, 2, string, fn_left},
    {"LEN", fn, 1, integer, fn_len},
    {"LOGE", fn, 1, real, fn_loge},
    {"NOT", word, 0, none, op_not},
    {"MATCH", fn, 3, integer, fn_match},
    {"MEMORY", fn, 1, integer, fn_memory},
    {"MONTH", fn, 1, integer, fn_month},
    {"NUMERIC", fn, 1, integer, fn_numeric},
    {"OR", word, 0, none, op_or},
    {"TAN", fn, 1, real, fn_tan},
    {"SIN", fn, 1, real, fn_sin},
    {"RIGHT", fn, 2, string, fn_right},
    {"ROUND", fn, 2, real, fn_round},
    {"SQRT", fn, 1, real, fn_sqrt},
    {"SUB", fn, 3, string, fn_sub},
    {"VAL", fn, 1, integer, fn_val},
    {"TODAY", fn, 0, integer, fn_today},
    {"UPPER", fn, 1, string, fn_upper},
    {"XOR", word, 0, none, op_xor},
    {"YEAR", fn, 1, integer, fn_year},
    {"NULL", fn, 1, integer, fn_null},
    {"INLIST", fn, 25, integer, fn_inlist},
};
// Four word operators and every function code from 1 to 46 once.
static_assert(sizeof rows / sizeof rows[0] == 4 + (builtin_code_count - 1));

}  // namespace

std::span<const builtin_row> builtin_rows() {
  return rows;
}

}  // namespace eval
