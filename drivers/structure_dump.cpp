#include "drivers/structure_dump.h"

#include <cstring>

#include "drivers/driver_interface.h"
#include "runtime/record_descriptor.h"

namespace drv {
namespace {

bool has_text(const char* t) { return t && t[0]; }

void file_line(TraceWriter& out, const FileInstance& f) {
  const FileDeclaration& d = *f.declaration;
  DeclaredText name = declared_text(d.name, d.name_length);
  char label[1024] = {};
  std::memcpy(label, name.text ? name.text : "", name.length < 1023 ? name.length : 1023);
  out.padded(label, 18);
  if (has_text(f.driver_string))
    out.print("FILE,DRIVER('%s','%s')", f.driver->name, f.driver_string);
  else
    out.print("FILE,DRIVER('%s')", f.driver->name);
  if (has_text(f.owner)) out.print(",OWNER(******)");
  out.print(",NAME('%s')", f.name ? f.name : "");
  static constexpr struct {
    uint8_t bit;
    const char* text;
  } kAttributes[] = {{kInstCreate, ",CREATE"},
                     {kInstEncrypt, ",ENCRYPT"},
                     {kInstReclaim, ",RECLAIM"},
                     {kInstThread, ",THREAD"}};
  for (const auto& a : kAttributes)
    if (f.attributes & a.bit) out.print("%s", a.text);
  out.print("\r\n");
}

void key_lines(TraceWriter& out, const FileInstance& f) {
  for (uint32_t i = 0; i < f.key_count; ++i) {
    const KeyDescriptor& k = f.keys[i];
    out.padded(k.label ? k.label : "", 20);
    out.print("%s(", (k.attributes & kKeyIsIndex) ? "INDEX" : "KEY");
    for (uint32_t c = 0; c < k.component_count; ++c)
      out.print(c ? ",%c%s" : "%c%s", k.components[c].descending ? '-' : '+',
                k.components[c].label);
    out.print(")");
    static constexpr struct {
      uint8_t bit;
      const char* text;
    } kKeyFlags[] = {{kKeyDup, ",DUP"}, {kKeyOpt, ",OPT"}, {kKeyNocase, ",NOCASE"},
                     {kKeyPrimary, ",PRIMARY"}};
    for (const auto& flag : kKeyFlags)
      if (k.attributes & flag.bit) out.print("%s", flag.text);
    if (has_text(k.external_name)) out.print(",NAME('%s')", k.external_name);
    out.print("\r\n");
  }
}

void memo_lines(TraceWriter& out, const FileInstance& f) {
  for (uint32_t i = 0; i < f.memo_count; ++i) {
    const MemoDescriptor& m = f.memos[i];
    out.padded(m.label ? m.label : "", 20);
    if (m.blob) out.print("BLOB");
    else out.print("MEMO(%u)", m.size);
    if (has_text(m.external_name)) out.print(",NAME('%s')", m.external_name);
    if (m.binary) out.print(",BINARY");
    out.print("\r\n");
  }
}

void field_line(TraceWriter& out, const FieldEntry& e, uint32_t width) {
  out.padded(e.label, width);
  out.print("%s", rt::field_type_name(e.type));
  if (e.type == rt::FT_DECIMAL || e.type == rt::FT_PDECIMAL) out.print("(%u,%u)", 2 * e.size - 1, e.places);
  if (rt::is_string_type(e.type)) {
    if (e.picture) out.print("(@%s)", e.picture);
    else out.print("(%u)", e.size);
  }
  for (uint32_t i = 0; i < e.dimension_count; ++i)
    out.print(i ? ",%u" : ", DIM(%u", e.dimensions[i]);
  if (e.dimension_count) out.print(")");
  if (e.over) out.print(", OVER(%s)", e.over);
  if (has_text(e.external_name) && std::strcmp(e.external_name, e.label) != 0)
    out.print(",NAME('%s')", e.external_name);
  out.print("\r\n");
}

void end_line(TraceWriter& out, uint32_t width) {
  out.padded("", width);
  out.print("END\r\n");
}

// Writes entries [first, last) at `width`; groups open a deeper level.
void field_lines(TraceWriter& out, const FieldTable& t, uint32_t first, uint32_t last,
                 uint32_t width) {
  for (uint32_t i = first; i < last; ++i) {
    const FieldEntry& e = t.entries[i];
    field_line(out, e, width);
    if (e.type == rt::FT_GROUP) {
      field_lines(out, t, i + 1, i + 1 + e.children, width + 2);
      end_line(out, width);
      i += e.children;
    }
  }
}

}  // namespace

void write_structure_dump(TraceWriter& out, const FileInstance& f) {
  file_line(out, f);
  key_lines(out, f);
  memo_lines(out, f);
  out.padded("", 20);
  out.print("RECORD\r\n");
  field_lines(out, f.fields, 0, f.fields.count, 22);
  end_line(out, 20);
  out.padded("", 18);
  out.print("END\r\n\r\n");
}

}  // namespace drv
