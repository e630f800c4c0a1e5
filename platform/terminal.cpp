#include "platform/terminal.h"

#include "platform/code_pages.h"
#ifdef _WIN32
#include "platform/win32/system.h"
#else
#include "platform/posix/system.h"
#endif

namespace plat::detail {
namespace {

// Writes bytes to standard error through the system-call table.
void write_standard_error(const std::string& text);

// The ANSI text as UTF-8.
std::string ansi_to_utf8(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    char32_t code = ansi_code_point(c);
    if (code < 0x80) {
      shown += char(code);
    } else if (code < 0x800) {
      shown += char(0xC0 | (code >> 6));
      shown += char(0x80 | (code & 0x3F));
    } else {
      shown += char(0xE0 | (code >> 12));
      shown += char(0x80 | ((code >> 6) & 0x3F));
      shown += char(0x80 | (code & 0x3F));
    }
  }
  return shown;
}

}  // namespace

void write_to_terminal(const std::string& ansi_text) { write_standard_error(ansi_to_utf8(ansi_text)); }

}  // namespace plat::detail

#ifdef _WIN32
#include "platform/win32/terminal.inc"
#else
#include "platform/posix/terminal.inc"
#endif
