#include "runtime/record_descriptor.h"

#include <array>

namespace rt {
namespace {

// ORDER: the type codes 0..30 of the descriptor.
constexpr std::array<const char*, 31> kTypeNames = {
    "END",    "BYTE",    "SHORT",   "USHORT", "DATE",    "TIME",     "LONG",     "ULONG",
    "SREAL",  "REAL",    "DECIMAL", "PDECIMAL", "DUM1",  "BFLOAT4",  "BFLOAT8",  "ANY",
    "TEMPUFO", "(17)",   "STRING",  "CSTRING", "PSTRING", "MEMO",    "GROUP",    "CLASS",
    "ARRAY",  "FIELD",   "QUEUE",   "BLOB",   "STACKSTR", "PICTURE", "STDNUM",
};
static_assert(kTypeNames.size() == 31);

// ORDER: the type codes 0..14; sizes of the types whose size is fixed.
constexpr std::array<uint8_t, 15> kFixedSizes = {0, 1, 2, 2, 4, 4, 4, 4, 4, 8, 0, 0, 0, 4, 8};
static_assert(kFixedSizes.size() == FT_BFLOAT8 + 1);

}  // namespace

const char* field_type_name(uint32_t type) {
  return type < kTypeNames.size() ? kTypeNames[type] : "UNKNOWN";
}

uint32_t fixed_type_size(uint32_t type) { return type < kFixedSizes.size() ? kFixedSizes[type] : 0; }

bool is_string_type(uint32_t type) {
  return type == FT_STRING || type == FT_CSTRING || type == FT_PSTRING;
}

bool is_sized_type(uint32_t type) {
  return is_string_type(type) || type == FT_DECIMAL || type == FT_PDECIMAL;
}

uint32_t read_u32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

DescriptorWriter::DescriptorWriter(unsigned char* buffer, uint32_t capacity)
    : buffer_(buffer), capacity_(capacity) {}

void DescriptorWriter::put(uint8_t byte) {
  if (used_ >= capacity_) {
    failed_ = true;
    return;
  }
  buffer_[used_++] = byte;
}

void DescriptorWriter::put_compact(uint32_t value) {
  if (value < 32) {
    put(uint8_t(value));
  } else if (value < 8192) {
    put(uint8_t(0x20 + (value >> 8)));
    put(uint8_t(value & 0xFF));
  } else {
    put(0x40);
    for (int shift = 24; shift >= 0; shift -= 8) put(uint8_t(value >> shift));
  }
}

void DescriptorWriter::put_text(const char* text) {
  for (const char* p = text ? text : ""; *p; ++p) put(uint8_t(*p));
  put(0);
}

void DescriptorWriter::count_field(uint32_t size) {
  if (depth_ == 0) return;
  open_[depth_ - 1].size += size;
  open_[depth_ - 1].fields += 1;
}

void DescriptorWriter::begin_group(const char* label) {
  if (depth_ == int(std::size(open_))) {
    failed_ = true;
    return;
  }
  open_[depth_++] = {used_, 0, 0};
  put(FT_GROUP);
  put(depth_ == 1 ? 0 : kAttrPlain);
  for (uint32_t i = 0; i < 12; ++i) put(0);
  if (depth_ > 1) put_text(label);
}

void DescriptorWriter::field(FieldType type, const char* label, uint32_t size, uint8_t places,
                             const char* picture) {
  put(type);
  put(picture ? kAttrPlain | kAttrPicture : kAttrPlain);
  if (is_sized_type(type)) put_compact(size);
  if (type == FT_DECIMAL || type == FT_PDECIMAL) put(places);
  put_text(label);
  if (picture) put_text(picture);
  count_field(is_sized_type(type) ? size : fixed_type_size(type));
}

void DescriptorWriter::end_group() {
  if (depth_ == 0) {
    failed_ = true;
    return;
  }
  Open g = open_[--depth_];
  uint32_t values[3] = {g.size, g.fields, used_ - g.start};
  for (int v = 0; v < 3; ++v)
    for (int b = 0; b < 4; ++b)
      if (g.start + 2 + 4 * v + b < capacity_)
        buffer_[g.start + 2 + 4 * v + b] = uint8_t(values[v] >> (8 * b));
  count_field(g.size);
}

}  // namespace rt
