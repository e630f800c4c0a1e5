#include "drivers/field_table.h"

#include <cstring>

#include "platform/text.h"
#include "runtime/record_descriptor.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace drv {
namespace {

// Walks a descriptor; counts the fields, and fills `out` when it is given.
class FieldWalker {
 public:
  FieldWalker(const unsigned char* descriptor, uint32_t length, uint32_t record_length,
              FieldEntry* out)
      : d_(descriptor), end_(length), record_length_(record_length), out_(out) {}

  // group -> header field*  (the record's own group has no label)
  bool walk_record() {
    if (end_ < rt::kGroupHeaderSize || d_[0] != rt::FT_GROUP) return false;
    pos_ = rt::kGroupHeaderSize;
    return walk_fields(rt::read_u32(d_ + 6), 0, 0);
  }
  uint32_t count() const { return count_; }

 private:
  bool walk_fields(uint32_t fields, uint32_t offset, int depth) {
    for (uint32_t i = 0; i < fields; ++i) {
      uint32_t advance = 0;
      if (!walk_field(offset, depth, advance)) return false;
      offset += advance;
    }
    return true;
  }

  // field -> type attribute [size] [places] [dimensions element] label extras
  bool walk_field(uint32_t offset, int depth, uint32_t& advance) {
    FieldEntry e{};
    if (!byte(e.type) || !byte(e.attributes)) return false;
    e.depth = uint8_t(depth);
    e.count = 1;
    if (e.type == rt::FT_GROUP) return walk_group(e, offset, depth, advance);
    if (e.type == rt::FT_ARRAY && !read_dimensions(e)) return false;
    if (!read_element(e)) return false;
    e.offset = e.over ? over_offset(e.over, offset) : offset;
    if (e.total / e.count != e.size || e.offset > record_length_ ||
        e.total > record_length_ - e.offset)
      return false;
    advance = e.over ? 0 : e.total;
    emit(e);
    return true;
  }

  bool walk_group(FieldEntry& e, uint32_t offset, int depth, uint32_t& advance) {
    if (depth + 1 > rt::kMaxGroupNesting || pos_ + rt::kGroupHeaderSize - 2 > end_) return false;
    e.size = e.total = rt::read_u32(d_ + pos_);
    uint32_t fields = rt::read_u32(d_ + pos_ + 4);
    pos_ += rt::kGroupHeaderSize - 2;
    if (!text(e.label) || !extras(e)) return false;
    e.offset = offset;
    if (e.offset > record_length_ || e.total > record_length_ - e.offset) return false;
    uint32_t index = count_;
    emit(e);
    if (!walk_fields(fields, offset, depth + 1)) return false;
    if (out_) out_[index].children = count_ - index - 1;
    advance = e.total;
    return true;
  }

  bool read_dimensions(FieldEntry& e) {
    if (!byte(e.dimension_count) || e.dimension_count == 0 ||
        e.dimension_count > kMaxDimensions)
      return false;
    for (int i = 0; i < e.dimension_count; ++i) {
      if (!compact(e.dimensions[i]) || e.dimensions[i] == 0) return false;
      uint64_t product = uint64_t(e.count) * e.dimensions[i];
      if (product > record_length_) return false;
      e.count = uint32_t(product);
    }
    uint8_t attributes = 0;  // the element's own type and attribute follow
    return byte(e.type) && byte(attributes) && e.type != rt::FT_GROUP && e.type != rt::FT_ARRAY;
  }

  bool read_element(FieldEntry& e) {
    if (rt::is_sized_type(e.type)) {
      if (!compact(e.size)) return false;
    } else {
      e.size = rt::fixed_type_size(e.type);
    }
    if ((e.type == rt::FT_DECIMAL || e.type == rt::FT_PDECIMAL) && !byte(e.places)) return false;
    if (e.size == 0 && e.type != rt::FT_STRING) return false;  // unknown or unsized type
    e.total = e.size * e.count;
    return text(e.label) && extras(e);
  }

  bool extras(FieldEntry& e) {
    if ((e.attributes & rt::kAttrPicture) && !text(e.picture)) return false;
    if ((e.attributes & rt::kAttrExternalName) && !text(e.external_name)) return false;
    return !(e.attributes & rt::kAttrOver) || text(e.over);
  }

  uint32_t over_offset(const char* label, uint32_t fallback) const {
    if (out_)
      for (uint32_t i = count_; i-- > 0;)
        if (std::strcmp(out_[i].label, label) == 0) return out_[i].offset;
    return fallback;
  }

  void emit(const FieldEntry& e) {
    if (out_) out_[count_] = e;
    ++count_;
  }

  bool byte(uint8_t& v) {
    if (pos_ >= end_) return false;
    v = d_[pos_++];
    return true;
  }

  bool compact(uint32_t& v) {
    uint8_t first = 0, next = 0;
    if (!byte(first)) return false;
    if (first < 0x20) {
      v = first;
    } else if (first < 0x40) {
      if (!byte(next)) return false;
      v = uint32_t(first - 0x20) << 8 | next;
    } else {
      if (first != 0x40) return false;
      v = 0;
      for (int i = 0; i < 4; ++i) {
        if (!byte(next)) return false;
        v = v << 8 | next;
      }
    }
    return true;
  }

  bool text(const char*& t) {
    const void* nul = pos_ < end_ ? std::memchr(d_ + pos_, 0, end_ - pos_) : nullptr;
    if (!nul) return false;
    t = reinterpret_cast<const char*>(d_ + pos_);
    pos_ = uint32_t(static_cast<const unsigned char*>(nul) - d_) + 1;
    return true;
  }

  const unsigned char* d_;
  uint32_t end_;
  uint32_t record_length_;
  FieldEntry* out_;
  uint32_t pos_ = 0;
  uint32_t count_ = 0;
};

}  // namespace

int build_field_table(const unsigned char* descriptor, uint32_t record_length, FieldTable& table) {
  table = FieldTable{};
  if (!descriptor || descriptor[0] != rt::FT_GROUP) return svc::err::invalid_field_type;
  uint32_t length = rt::read_u32(descriptor + 10);
  FieldWalker counter(descriptor, length, record_length, nullptr);
  if (!counter.walk_record()) return svc::err::invalid_field_type;
  if (counter.count() == 0) return 0;
  auto* entries = static_cast<FieldEntry*>(
      svc::allocate_zeroed(counter.count(), uint32_t(sizeof(FieldEntry))));
  if (!entries) return svc::err::insufficient_memory;
  FieldWalker filler(descriptor, length, record_length, entries);
  filler.walk_record();
  table = {entries, counter.count()};
  return 0;
}

void release_field_table(FieldTable& table) {
  svc::release(table.entries);
  table = FieldTable{};
}

void clear_record(const FieldTable& table, unsigned char* record, uint32_t record_length) {
  std::memset(record, 0, record_length);
  for (uint32_t i = 0; i < table.count; ++i) {
    const FieldEntry& f = table.entries[i];
    if (f.type == rt::FT_STRING && !f.over) std::memset(record + f.offset, ' ', f.total);
  }
}

}  // namespace drv

namespace drv {
namespace {

template <class Convert>
void convert_strings(const FieldTable& table, unsigned char* record, Convert convert) {
  for (uint32_t i = 0; i < table.count; ++i) {
    const FieldEntry& f = table.entries[i];
    if (rt::is_string_type(f.type) && !f.over && f.total > 0) {
      char* text = reinterpret_cast<char*>(record + f.offset);
      convert(text, text, plat::DWORD(f.total));
    }
  }
}

}  // namespace

void record_to_oem(const FieldTable& table, unsigned char* record) {
  convert_strings(table, record, plat::CharToOemBuffA);
}

void record_to_ansi(const FieldTable& table, unsigned char* record) {
  convert_strings(table, record, plat::OemToCharBuffA);
}

}  // namespace drv
