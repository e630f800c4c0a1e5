// The record values of a trace: memo dumps and one line per field.
#include <cstdio>
#include <cstring>

#include "drivers/file_instance.h"
#include "drivers/trace_writer.h"
#include "runtime/date_time.h"
#include "runtime/number_text.h"
#include "runtime/picture.h"
#include "runtime/picture_format.h"
#include "runtime/record_descriptor.h"

namespace drv {
namespace {

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

template <class T>
T load(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void memo_line(TraceWriter& out, const MemoDescriptor& m) {
  out.padded(m.label ? m.label : "", 18);
  unsigned char fill = m.binary ? 0 : ' ';
  uint32_t used = m.buffer ? m.size : 0;
  while (used > 0 && m.buffer[used - 1] == fill) --used;
  if (used > 0) {
    for (uint32_t row = 0; row < used; row += 16) {
      out.print("  ");
      for (uint32_t i = row; i < row + 16; ++i)
        if (i < used) out.print("%02X ", m.buffer[i]);
        else out.print("   ");
      out.print(" | ");
      for (uint32_t i = row; i < row + 16 && i < used; ++i) {
        unsigned char c = m.buffer[i];
        out.print("%c", c >= 32 && c <= 126 ? c : '.');
      }
      out.print("\r\n");
    }
  }
  out.print("\r\n");
}

// Packed decimal: sign in the first nibble, then the digits.
void decimal_value(TraceWriter& out, const FieldEntry& e, const unsigned char* p) {
  char text[160];
  uint32_t n = 0;
  bool negative = (p[0] >> 4) != 0;
  uint32_t digits = 2 * e.size - 1;
  for (uint32_t i = 0; i < digits && n < sizeof text - 3; ++i) {
    uint32_t nibble = i + 1;
    unsigned char b = p[nibble / 2];
    if (digits - i == e.places && e.places > 0) text[n++] = '.';
    text[n++] = char('0' + ((nibble % 2 ? b : b >> 4) & 0x0F) % 10);
  }
  text[n] = 0;
  const char* start = text;
  while (start[0] == '0' && start[1] && start[1] != '.') ++start;
  out.print(negative ? "-%s" : "%s", start);
}

void string_value(TraceWriter& out, const FieldEntry& e, const unsigned char* p) {
  char text[1024];
  uint32_t length = e.size;
  if (e.type == rt::FT_CSTRING) length = uint32_t(strnlen(reinterpret_cast<const char*>(p), e.size));
  if (e.type == rt::FT_PSTRING) length = e.size ? p[0] : 0, p += 1;
  if (length > sizeof text - 1) length = sizeof text - 1;
  std::memcpy(text, p, length);
  text[length] = 0;
  if (e.picture) {  // shown through the field's display picture
    char picture[300];
    std::snprintf(picture, sizeof picture, "@%s", e.picture);
    char shown[rt::kFormatWidthMax + 1];
    uint32_t n = rt::format_text({text, length}, rt::compile_picture(picture), shown);
    shown[n] = 0;
    out.print("'%s'", shown);
    return;
  }
  out.print("'%s'", text);
}

void date_value(TraceWriter& out, const unsigned char* p) {
  int32_t serial = rt::packed_date_to_serial(load<rt::PackedDate>(p));
  rt::CalendarDate date;
  if (serial != 0 && rt::date_fields(serial, date) && date.month >= 1 && date.month <= 12)
    out.print("%02d %s %d (%ld)", date.day, kMonths[date.month - 1], date.year, serial);
  else
    out.print("Invalid date (%ld)", serial);
}

void time_value(TraceWriter& out, const unsigned char* p) {
  int32_t serial = rt::packed_time_to_serial(load<rt::PackedTime>(p));
  rt::ClockTime t;
  if (rt::time_fields(serial, t) == 0)
    out.print("%02d:%02d:%02d.%02d (%ld)", t.hours, t.minutes, t.seconds, t.hundredths, serial);
  else
    out.print("Invalid time (%ld)", serial);
}

void real_value(TraceWriter& out, double value) {
  char text[rt::kNumberTextCapacity + 1];
  uint32_t n = rt::format_real(value, text);
  text[n] = 0;
  out.print("%s", text);
}

void field_value(TraceWriter& out, const FieldEntry& e, const unsigned char* p) {
  switch (e.type) {
    case rt::FT_BYTE: out.print("%02XH", p[0]); break;
    case rt::FT_SHORT: out.print("%d", int32_t(load<int16_t>(p))); break;
    case rt::FT_USHORT: out.print("%u", uint32_t(load<uint16_t>(p))); break;
    case rt::FT_LONG: out.print("%ld", load<int32_t>(p)); break;
    case rt::FT_ULONG: out.print("%lu", load<uint32_t>(p)); break;
    case rt::FT_SREAL: {
      char text[64];
      std::snprintf(text, sizeof text, "%f", double(load<float>(p)));
      out.print("%s", text);
      break;
    }
    case rt::FT_REAL:
    case rt::FT_BFLOAT8: real_value(out, load<double>(p)); break;
    case rt::FT_DECIMAL:
    case rt::FT_PDECIMAL: decimal_value(out, e, p); break;
    case rt::FT_STRING:
    case rt::FT_CSTRING:
    case rt::FT_PSTRING: string_value(out, e, p); break;
    case rt::FT_DATE: date_value(out, p); break;
    case rt::FT_TIME: time_value(out, p); break;
    default: break;  // GROUP: its fields follow
  }
}

}  // namespace

void write_record_values(TraceWriter& out, const FileInstance& f) {
  for (uint32_t i = 0; i < f.memo_count; ++i) memo_line(out, f.memos[i]);
  for (uint32_t i = 0; i < f.fields.count; ++i) {
    const FieldEntry& e = f.fields.entries[i];
    out.print("  %-18s: ", e.label);
    field_value(out, e, f.record + e.offset);
    out.print("\r\n");
  }
  out.print("\r\n");
}

}  // namespace drv
