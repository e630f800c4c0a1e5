#include "runtime/queue_packing.h"

#include <cstring>

namespace rt {
namespace {

// Writes an item header for `count` with `flag` (0 or the literal flag);
// returns the bytes it takes (1, 2, 3 or 5).
uint32_t encode_header(uint8_t flag, uint32_t count, uint8_t* out) {
  if (count < kPackShortLimit) {
    out[0] = static_cast<uint8_t>(flag | count);
    return 1;
  }
  if (count < kPackMediumLimit) {
    out[0] = static_cast<uint8_t>(flag | kPackWideCount | (count >> 8));
    out[1] = static_cast<uint8_t>(count & 0xFF);
    return 2;
  }
  if (count < kPackLongLimit) {
    out[0] = static_cast<uint8_t>(flag | kPackCount16);
    out[1] = static_cast<uint8_t>(count & 0xFF);
    out[2] = static_cast<uint8_t>(count >> 8);
    return 3;
  }
  out[0] = static_cast<uint8_t>(flag | kPackCount32);
  for (int k = 0; k < 4; ++k) out[1 + k] = static_cast<uint8_t>(count >> (8 * k));
  return 5;
}

class PackedWriter {
 public:
  PackedWriter(uint8_t* out, uint32_t capacity) : out_(out), capacity_(capacity) {}

  void literal(const uint8_t* bytes, uint32_t count) {
    if (count == 0) return;
    header(kPackLiteralFlag, count);
    put(bytes, count);
  }
  void run(uint8_t byte, uint32_t count) {
    header(0, count);
    put(&byte, 1);
  }
  // The packed length, or 0 after anything did not fit.
  uint32_t length() const { return failed_ ? 0 : length_; }

 private:
  void header(uint8_t flag, uint32_t count) {
    uint8_t bytes[5];
    put(bytes, encode_header(flag, count, bytes));
  }
  void put(const uint8_t* bytes, uint32_t count) {
    if (failed_ || count > capacity_ - length_) {
      failed_ = true;
      return;
    }
    std::memcpy(out_ + length_, bytes, count);
    length_ += count;
  }

  uint8_t* out_;
  uint32_t capacity_;
  uint32_t length_ = 0;
  bool failed_ = false;
};

}  // namespace

uint32_t pack_record(const uint8_t* record, uint32_t size, uint8_t* out, uint32_t capacity) {
  PackedWriter writer(out, capacity);
  uint32_t literal_start = 0;
  for (uint32_t i = 0; i < size;) {
    uint32_t end = i + 1;
    while (end < size && record[end] == record[i]) ++end;
    const uint32_t length = end - i;
    if (length >= 4 || (end == size && length >= 3)) {
      writer.literal(record + literal_start, i - literal_start);
      writer.run(record[i], length);
      literal_start = end;
    }
    i = end;
  }
  writer.literal(record + literal_start, size - literal_start);
  return writer.length();
}

namespace {

// Reads an item header at packed[at]; false when the input ends inside it.
bool decode_header(const uint8_t* packed, uint32_t size, uint32_t& at, bool& literal,
                   uint32_t& count) {
  const uint8_t h = packed[at++];
  literal = (h & kPackLiteralFlag) != 0;
  const uint32_t low = h & 0x3F;
  if ((h & kPackWideCount) == 0) {
    count = low;
    return true;
  }
  const uint32_t extra = low == 0x30 ? 4 : (low > 0x30 ? 2 : 1);
  if (size - at < extra) return false;
  if (extra == 1) {
    count = (low << 8) | packed[at];
  } else {
    count = 0;
    for (uint32_t k = 0; k < extra; ++k) count |= uint32_t{packed[at + k]} << (8 * k);
  }
  at += extra;
  return true;
}

}  // namespace

uint32_t unpack_record(const uint8_t* packed, uint32_t packed_size, uint8_t* out,
                       uint32_t capacity) {
  uint32_t at = 0;
  uint32_t produced = 0;
  while (at < packed_size) {
    bool literal = false;
    uint32_t count = 0;
    if (!decode_header(packed, packed_size, at, literal, count)) return 0;
    if (count > capacity - produced) return 0;
    if (literal) {
      if (count > packed_size - at) return 0;
      std::memcpy(out + produced, packed + at, count);
      at += count;
    } else {
      if (at == packed_size) return 0;
      std::memset(out + produced, packed[at++], count);
    }
    produced += count;
  }
  return produced;
}

}  // namespace rt
