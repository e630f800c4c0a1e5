#include "drivers/trace_writer.h"

#include <cstdarg>
#include <cstring>

#include "drivers/low_level_io.h"
#include "platform/text.h"

namespace drv {

void TraceWriter::print(const char* format, ...) {
  char buffer[plat::WSPRINTF_LIMIT];
  va_list arguments;
  va_start(arguments, format);
  int length = plat::wvsprintfA(buffer, format, arguments);
  va_end(arguments);
  if (length > 0) write(buffer, uint32_t(length));
}

void TraceWriter::write(const char* text, uint32_t length) {
  uint32_t count = 0;
  sys::write(log_, text, length, count);  // a failing log is ignored
}

void TraceWriter::padded(const char* text, uint32_t width) {
  char buffer[plat::WSPRINTF_LIMIT];
  uint32_t length = uint32_t(std::strlen(text));
  if (length > plat::WSPRINTF_LIMIT - 2) length = plat::WSPRINTF_LIMIT - 2;
  std::memcpy(buffer, text, length);
  uint32_t end = length < width ? width : length + 1;
  if (end > plat::WSPRINTF_LIMIT - 1) end = plat::WSPRINTF_LIMIT - 1;
  std::memset(buffer + length, ' ', end - length);
  write(buffer, end);
}

}  // namespace drv
