#include "runtime/string_value.h"

#include <cstring>

#include "runtime/date_time.h"
#include "runtime/number_text.h"
#include "runtime/string_stack.h"
#include "services/error_state.h"
#include "services/heap.h"
#include "services/runtime_error.h"

namespace rt {

namespace {

uint32_t min_length(uint32_t a, uint32_t b) {
  return a < b ? a : b;
}

// The fill byte of a clear: ordinary, lowest or highest.
char fill_byte(int32_t fill, char ordinary) {
  if (fill < 0) return '\0';
  if (fill > 0) return '\xFF';
  return ordinary;
}

// PackedDate and PackedTime are byte structs, so any address holds one.
PackedDate& date_at(void* dest) {
  return *static_cast<PackedDate*>(dest);
}
PackedTime& time_at(void* dest) {
  return *static_cast<PackedTime*>(dest);
}

template <class T>
T load(const void* address) {
  T value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

}  // namespace

void assign_string(char* dest, uint32_t size, const char* text, uint32_t length) {
  uint32_t n = text == nullptr ? 0 : min_length(length, size);
  if (n > 0) std::memmove(dest, text, n);
  if (size > n) std::memset(dest + n, ' ', size - n);
}

void assign_cstring(char* dest, uint32_t size, const char* text, uint32_t length) {
  if (size == 0) return;
  uint32_t n = text == nullptr ? 0 : min_length(length, size - 1);
  if (n > 0) std::memmove(dest, text, n);
  dest[n] = '\0';
}

void assign_pstring(unsigned char* dest, uint32_t size, const char* text, uint32_t length) {
  if (size == 0) return;
  // The length byte can count at most 255.
  uint32_t n = text == nullptr ? 0 : min_length(min_length(length, size - 1), 255);
  if (n > 0) std::memmove(dest + 1, text, n);
  dest[0] = static_cast<unsigned char>(n);
}

void fill_spaces(char* dest, uint32_t size) {
  if (size > 0) std::memset(dest, ' ', size);
}

void clear_string(char* dest, uint32_t size, int32_t fill) {
  if (size > 0) std::memset(dest, fill_byte(fill, ' '), size);
}

void clear_cstring(char* dest, uint32_t size, int32_t fill) {
  if (size == 0) return;
  if (fill > 0) {
    std::memset(dest, 0xFF, size - 1);
    dest[size - 1] = '\0';
  } else {
    dest[0] = '\0';
  }
}

void clear_pstring(unsigned char* dest, uint32_t size, int32_t fill) {
  if (size == 0) return;
  if (fill == 0) {
    dest[0] = 0;  // the text bytes stay as they are
    return;
  }
  uint32_t n = min_length(size - 1, 255);
  std::memset(dest + 1, fill > 0 ? 0xFF : 0x00, size - 1);
  dest[0] = static_cast<unsigned char>(n);
}

void clear_typed(void* dest, int32_t type_code, uint32_t size, int32_t fill) {
  switch (type_code) {
    case TYPE_STRING:
      clear_string(static_cast<char*>(dest), size, fill);
      return;
    case TYPE_CSTRING:
      clear_cstring(static_cast<char*>(dest), size, fill);
      return;
    case TYPE_PSTRING:
      clear_pstring(static_cast<unsigned char*>(dest), size, fill);
      return;
    case TYPE_DATE:
      clear_date(date_at(dest), fill);
      return;
    case TYPE_TIME:
      clear_time(time_at(dest), fill);
      return;
    default:
      if (clear_numeric(dest, type_code, fill)) return;
      svc::raise_runtime_error(svc::err::internal_error_01, "String Stack Error");
  }
}

void push_typed(const void* address, int32_t type_code, uint32_t size) {
  StringStack& stack = string_stack();
  switch (type_code) {
    case TYPE_BYTE:
      return stack.push_integer(load<uint8_t>(address));
    case TYPE_SHORT:
      return stack.push_integer(load<int16_t>(address));
    case TYPE_USHORT:
      return stack.push_integer(load<uint16_t>(address));
    case TYPE_LONG:
      return stack.push_integer(load<int32_t>(address));
    case TYPE_ULONG: {
      char digits[kNumberTextCapacity];
      uint32_t n = format_unsigned(load<uint32_t>(address), digits);
      if (stack.full()) return;
      stack.push_borrowed(digits, n);
      return stack.make_top_stable();  // into the inline area: the digits are local
    }
    case TYPE_SREAL:
      return stack.push_real(load<float>(address));
    case TYPE_REAL:
      return stack.push_real(load<double>(address));
    case TYPE_DATE:
      return stack.push_integer(packed_date_to_serial(load<PackedDate>(address)));
    case TYPE_TIME:
      return stack.push_integer(packed_time_to_serial(load<PackedTime>(address)));
    case TYPE_STRING:
      return stack.push_borrowed(static_cast<const char*>(address), size);
    case TYPE_CSTRING: {
      const auto* text = static_cast<const char*>(address);
      const void* nul = std::memchr(text, '\0', size);
      return stack.push_borrowed(
          text,
          nul == nullptr ? size : static_cast<uint32_t>(static_cast<const char*>(nul) - text));
    }
    case TYPE_PSTRING: {
      // The length byte never counts past the declared size.
      const auto* p = static_cast<const unsigned char*>(address);
      uint32_t n = size == 0 ? 0 : min_length(p[0], size - 1);
      return stack.push_borrowed(reinterpret_cast<const char*>(p + 1), n);
    }
    case TYPE_BFLOAT4:
    case TYPE_BFLOAT8:
      return stack.push_empty();
    default:
      svc::raise_runtime_error(svc::err::internal_error_01, "String Stack Error");
  }
}

void release_heap_string(HeapString& s) {
  if (s.text != nullptr) svc::release(s.text);
  s.text = nullptr;
  s.length = 0;
}

}  // namespace rt
