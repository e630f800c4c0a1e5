// Run-length packing of queue records held in memory.
//
// The packed form is a sequence of items. Each item is a header byte with
// its count, then either the literal bytes (header bit 7 set) or the one byte
// that a run repeats (bit 7 clear). The count is encoded in the header and
// the bytes after it:
//
//   count            header (besides bit 7)        count bytes after it
//   0 .. 63          bit 6 clear, count in 0-5      none
//   64 .. 8191       bit 6 set, count / 256 in 0-5  count % 256
//   8192 .. 65535    0x7F                           16-bit, low byte first
//   above 65535      0x70                           32-bit, low byte first
//
// Reading, bit 6 set: bits 0-5 equal to 0x30 take 32 bits, above 0x30 take
// 16 bits, below 0x30 the two-byte form.
//
// Inside a record a run of 4 or more equal bytes becomes a run item; a final
// run of 3 or more does too; shorter runs stay in the literal stream.
#pragma once

#include <cstdint>

namespace rt {

inline constexpr uint8_t kPackLiteralFlag = 0x80;
inline constexpr uint8_t kPackWideCount = 0x40;
inline constexpr uint8_t kPackCount16 = 0x7F;
inline constexpr uint8_t kPackCount32 = 0x70;
inline constexpr uint32_t kPackShortLimit = 64;
inline constexpr uint32_t kPackMediumLimit = 8192;
inline constexpr uint32_t kPackLongLimit = 65536;

// A packing area this large never makes packing fail.
inline constexpr uint32_t packed_capacity_for(uint32_t record_size) {
  return record_size + record_size / 64 + 16;
}

// Packs `size` bytes; returns the packed length, or 0 when the packed form
// would not fit in `capacity` bytes.
uint32_t pack_record(const uint8_t* record, uint32_t size, uint8_t* out, uint32_t capacity);

// Unpacks; returns the number of bytes produced, or 0 when an item would
// overrun the `capacity` bytes of `out` or the input ends inside an item.
uint32_t unpack_record(const uint8_t* packed, uint32_t packed_size, uint8_t* out,
                       uint32_t capacity);

}  // namespace rt
