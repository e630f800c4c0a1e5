// Builds the field table of an arbitrary record descriptor: a malformed one
// must be refused, never read past its stated length or place a field past
// the record.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "drivers/field_table.h"
#include "runtime/record_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < rt::kGroupHeaderSize + 2) return 0;
  uint32_t record_length = uint32_t(data[0]) * 16;
  std::vector<unsigned char> descriptor(data + 1, data + size);
  uint32_t length = uint32_t(descriptor.size());
  for (int i = 0; i < 4; ++i) descriptor[10 + i] = uint8_t(length >> (8 * i));
  drv::FieldTable table;
  if (drv::build_field_table(descriptor.data(), record_length, table) == 0) {
    std::vector<unsigned char> record(record_length ? record_length : 1);
    for (uint32_t i = 0; i < table.count; ++i) {
      const drv::FieldEntry& e = table.entries[i];
      if (e.offset > record_length || e.total > record_length - e.offset) __builtin_trap();
    }
    drv::clear_record(table, record.data(), record_length);
    drv::release_field_table(table);
  }
  return 0;
}
