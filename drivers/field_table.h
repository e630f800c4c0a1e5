// The field table of a file instance: one entry per field of the record
// descriptor, in declaration order, with its place in the record. Built when
// the instance is made; read by the record clearing, the code-page
// conversion and the trace.
#pragma once

#include <cstdint>

namespace drv {

inline constexpr int kMaxDimensions = 4;

struct FieldEntry {
  uint8_t type;        // for an array, the element's type
  uint8_t attributes;
  uint8_t depth;       // 0 for the record's own fields, +1 per enclosing group
  uint8_t places;      // decimal places of DECIMAL and PDECIMAL
  uint32_t size;       // bytes of one element
  uint32_t count;      // elements: 1 unless dimensioned
  uint32_t total;      // size * count
  uint32_t offset;     // from the start of the record
  uint32_t children;   // GROUP: the entries that follow inside it, all levels
  uint8_t dimension_count;
  uint32_t dimensions[kMaxDimensions];
  const char* label;   // these point into the static descriptor
  const char* picture;
  const char* external_name;
  const char* over;
};

struct FieldTable {
  FieldEntry* entries = nullptr;  // runtime heap block
  uint32_t count = 0;
};

// Builds the table for a record of `record_length` bytes. Returns 0, or 75
// when the descriptor does not start with a group, is malformed, nests groups
// more than 100 deep or places a field past the record; 8 when memory runs
// out. On failure the table is left empty.
int build_field_table(const unsigned char* descriptor, uint32_t record_length, FieldTable& table);
void release_field_table(FieldTable& table);

// Clears a record by its fields: strings to spaces (CSTRING and PSTRING
// empty), numbers, dates and times to zero.
void clear_record(const FieldTable& table, unsigned char* record, uint32_t record_length);

// Converts the string fields of a record between the ANSI and the OEM code
// page in place.
void record_to_oem(const FieldTable& table, unsigned char* record);
void record_to_ansi(const FieldTable& table, unsigned char* record);

}  // namespace drv
