// The record descriptor: the compact byte encoding of a record's layout that
// the compiler emits beside each file declaration.
//
// Group header, 14 bytes:
//   0  type      22 (GROUP)
//   1  attribute 0 in the record's own header
//   2  size      u32 LE, bytes of the group
//   6  fields    u32 LE, direct fields of the group
//  10  length    u32 LE, bytes of the whole descriptor from offset 0
// A nested group is a group header followed by its label (NUL-terminated)
// and then its fields; its length covers all of that.
//
// Field:
//   type byte, attribute byte,
//   string types (STRING, CSTRING, PSTRING) and DECIMAL/PDECIMAL: size as a
//     compact integer (below 32: one byte; below 8192: two bytes big-endian
//     with 0x20 added to the first; otherwise 0x40 and four bytes big-endian),
//   DECIMAL/PDECIMAL: one byte of decimal places,
//   ARRAY: one byte of dimension count, each dimension as a compact integer,
//     then the element's own field encoding (which carries the label),
//   label, NUL-terminated,
//   then by attribute bits: kAttrPicture the picture text, kAttrExternalName
//     the external name, kAttrOver the label of the overlaid field, each
//     NUL-terminated.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// Type codes of the descriptor. ORDER: kTypeNames in record_descriptor.cpp.
enum FieldType : uint8_t {
  FT_END = 0,
  FT_BYTE = 1,
  FT_SHORT = 2,
  FT_USHORT = 3,
  FT_DATE = 4,
  FT_TIME = 5,
  FT_LONG = 6,
  FT_ULONG = 7,
  FT_SREAL = 8,
  FT_REAL = 9,
  FT_DECIMAL = 10,
  FT_PDECIMAL = 11,
  FT_BFLOAT4 = 13,
  FT_BFLOAT8 = 14,
  FT_STRING = 18,
  FT_CSTRING = 19,
  FT_PSTRING = 20,
  FT_MEMO = 21,
  FT_GROUP = 22,
  FT_ARRAY = 24,
  FT_BLOB = 27,
};

enum FieldAttribute : uint8_t {
  kAttrPicture = 0x01,
  kAttrPlain = 0x02,  // set on every ordinary field
  kAttrExternalName = 0x04,
  kAttrOver = 0x08,
};

inline constexpr uint32_t kGroupHeaderSize = 14;
inline constexpr int kMaxGroupNesting = 100;

// Type name for the structure dump: "BYTE", "STRING", ..., "UNKNOWN" past 30.
const char* field_type_name(uint32_t type);
// Byte size of a type that has a fixed size; 0 for sized and unknown types.
uint32_t fixed_type_size(uint32_t type);
bool is_string_type(uint32_t type);
bool is_sized_type(uint32_t type);  // carries a compact size

// Reads a u32 little-endian value.
uint32_t read_u32(const unsigned char* p);

// Builds descriptors into a caller's buffer (for the program's declarations
// and for tests). Writes past the capacity are dropped and mark it failed.
class DescriptorWriter {
 public:
  DescriptorWriter(unsigned char* buffer, uint32_t capacity);
  // Opens the record's own group (no label) or a nested group with a label.
  void begin_group(const char* label = nullptr);
  // A field; `picture` (without its @) is the display picture of a string.
  void field(FieldType type, const char* label, uint32_t size = 0, uint8_t places = 0,
             const char* picture = nullptr);
  // Finishes the innermost open group: its size, field count and length.
  void end_group();
  // Bytes written, or 0 when the buffer was too small.
  uint32_t length() const { return failed_ ? 0 : used_; }

 private:
  void put(uint8_t byte);
  void put_compact(uint32_t value);
  void put_text(const char* text);
  void count_field(uint32_t size);

  struct Open {
    uint32_t start;
    uint32_t size;
    uint32_t fields;
  };
  unsigned char* buffer_;
  uint32_t capacity_;
  uint32_t used_ = 0;
  bool failed_ = false;
  Open open_[8] = {};
  int depth_ = 0;
};

}  // namespace rt
