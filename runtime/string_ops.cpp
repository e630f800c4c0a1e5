#include "runtime/string_ops.h"

#include "runtime/string_stack.h"

namespace rt {

void concat() {}
void concat_reversed() {}
int32_t compare() { return 0; }
int32_t compare_nocase() { return 0; }
void clip() {}
uint32_t len() { return 0; }
void left(int32_t) {}
void right(int32_t) {}
void center(int32_t) {}
void set_length(uint32_t) {}
void sub(int32_t, int32_t) {}
void all(uint32_t) {}
void upper() {}
void lower() {}
void upper_cstring(char*) {}
void lower_cstring(char*) {}
void upper_counted(char*, uint32_t) {}
void lower_counted(char*, uint32_t) {}
int32_t instring(uint32_t, int32_t) { return 0; }
int32_t instring_text(const char*, uint32_t, const char*, uint32_t, uint32_t, int32_t) { return 0; }
int32_t inlist(uint32_t) { return 0; }
int32_t numeric() { return 0; }
bool truth() { return false; }
double pop_real() { return 0; }
int32_t pop_integer() { return 0; }
void pop_to_decimal() {}

}  // namespace rt
