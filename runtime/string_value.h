// String variables of the three declared types and their assignment rules.
//
// A STRING of size n is n bytes padded with spaces, a CSTRING holds up to n-1
// bytes and a NUL, a PSTRING a length byte and up to n-1 bytes. Assignment
// truncates or pads and never fails; it never touches a byte past the
// declared size.
#pragma once

#include <cstdint>

namespace rt {

// Data-type codes shared by every part of the runtime that describes a value.
enum TypeCode : int32_t {
  TYPE_BYTE = 1,
  TYPE_SHORT = 2,
  TYPE_USHORT = 3,
  TYPE_DATE = 4,
  TYPE_TIME = 5,
  TYPE_LONG = 6,
  TYPE_ULONG = 7,
  TYPE_SREAL = 8,
  TYPE_REAL = 9,
  TYPE_BFLOAT4 = 13,
  TYPE_BFLOAT8 = 14,
  TYPE_STRING = 18,
  TYPE_CSTRING = 19,
  TYPE_PSTRING = 20,
};

// Fill codes for clearing: 0 an ordinary clear, negative the lowest value,
// positive the highest value. Only the sign matters.
constexpr int32_t kFillOrdinary = 0;
constexpr int32_t kFillLowest = -1;
constexpr int32_t kFillHighest = 1;

// A string received by a procedure or popped into the heap: a heap block and
// its length. (null, 0) is the empty string.
struct HeapString {
  char* text = nullptr;
  uint32_t length = 0;
};

// Copies min(length, size) bytes and pads the rest of `size` with spaces.
void assign_string(char* dest, uint32_t size, const char* text, uint32_t length);
// Copies min(length, size-1) bytes and a NUL; size 0 writes nothing.
void assign_cstring(char* dest, uint32_t size, const char* text, uint32_t length);
// Copies min(length, size-1) bytes after the length byte; size 0 writes nothing.
void assign_pstring(unsigned char* dest, uint32_t size, const char* text, uint32_t length);

// Clearing by fill code (see the fill constants above).
void clear_string(char* dest, uint32_t size, int32_t fill);
void clear_cstring(char* dest, uint32_t size, int32_t fill);
void clear_pstring(unsigned char* dest, uint32_t size, int32_t fill);
// The ordinary clear of a STRING: `size` spaces.
void fill_spaces(char* dest, uint32_t size);

// Clears a variable of any type by its data-type code: numbers to 0 or their
// extremes, DATE to no date or all 0xFF bytes, TIME to none or 23:59:59.99,
// strings as above (only they use `size`). An unknown code raises the
// runtime's String Stack Error.
void clear_typed(void* dest, int32_t type_code, uint32_t size, int32_t fill);

// Pushes a variable of any type onto the string stack as text: numbers in
// their text form, DATE and TIME as their serials, strings borrowed (a
// CSTRING up to its NUL, a PSTRING by its length byte, both within `size`).
// BFLOAT4 and BFLOAT8 have no text form and push the empty string. An
// unknown code raises the runtime's String Stack Error.
void push_typed(const void* address, int32_t type_code, uint32_t size);

// Frees the block of a received string when there is one and sets it to (null, 0).
void release_heap_string(HeapString& s);

}  // namespace rt
