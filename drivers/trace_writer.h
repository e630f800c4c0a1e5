// One entry of a trace log: text formatted with the system's formatting
// into a buffer of 1024 characters and written with the system write.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace drv {

class TraceWriter {
 public:
  explicit TraceWriter(plat::HANDLE log) : log_(log) {}
  // Formats like wsprintfA (at most 1023 characters) and writes the text.
  void print(const char* format, ...);
  void write(const char* text, uint32_t length);
  // `text` padded with spaces to `width` columns, at least one space, at most
  // 1023 columns.
  void padded(const char* text, uint32_t width);

 private:
  plat::HANDLE log_;
};

}  // namespace drv
