#include "runtime/decimal.h"

namespace rt {

Decimal decimal_zero() {
  Decimal d{};
  d.low = d.high = kUnitsPosition;
  return d;
}
void DecimalAccumulator::push_integer(int32_t) {}
void DecimalAccumulator::push_unsigned(uint32_t) {}
void DecimalAccumulator::push_text(const char*) {}
void DecimalAccumulator::push_text(const char*, uint32_t) {}
void DecimalAccumulator::push_real(double) {}
void DecimalAccumulator::push(const Decimal&) {}
int32_t DecimalAccumulator::pop_integer() { return 0; }
double DecimalAccumulator::pop_real() { return 0; }
Decimal DecimalAccumulator::pop() { return decimal_zero(); }
void DecimalAccumulator::power(int32_t) {}
void DecimalAccumulator::multiply() {}
void DecimalAccumulator::divide() {}
void DecimalAccumulator::reverse_divide() {}
void DecimalAccumulator::swap() {}
void DecimalAccumulator::duplicate() {}
DecimalAccumulator& decimal_accumulator() {
  static DecimalAccumulator a;
  return a;
}

}  // namespace rt
