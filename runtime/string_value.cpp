#include "runtime/string_value.h"

#include <cstring>

#include "lifecycle/heap.h"
#include "lifecycle/runtime_error.h"
#include "runtime/number_text.h"

namespace rt {

namespace {

constexpr int32_t kStringStackError = 501;

uint32_t min_length(uint32_t a, uint32_t b) { return a < b ? a : b; }

// The fill byte of a clear: ordinary, lowest or highest.
char fill_byte(int32_t fill, char ordinary) {
  if (fill < 0) return '\0';
  if (fill > 0) return '\xFF';
  return ordinary;
}

// Packed DATE and TIME clears: a positive code gives the latest value, any
// other code no date or no time.
void clear_date(void* dest, int32_t fill) {
  std::memset(dest, fill > 0 ? 0xFF : 0, 4);
}

void clear_time(void* dest, int32_t fill) {
  // hundredths, seconds, minutes, hours in memory order
  static constexpr unsigned char kLatest[4] = {99, 59, 59, 23};
  if (fill > 0) {
    std::memcpy(dest, kLatest, 4);
  } else {
    std::memset(dest, 0, 4);
  }
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
      clear_date(dest, fill);
      return;
    case TYPE_TIME:
      clear_time(dest, fill);
      return;
    default:
      if (clear_numeric(dest, type_code, fill)) return;
      life::raise_runtime_error(kStringStackError, "String Stack Error");
  }
}

void release_heap_string(HeapString& s) {
  if (s.text != nullptr) life::release(s.text);
  s.text = nullptr;
  s.length = 0;
}

}  // namespace rt
