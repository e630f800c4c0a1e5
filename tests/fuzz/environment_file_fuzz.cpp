// Feeds arbitrary bytes to the environment-file reader as a file's content.
// Whatever the text holds, the reader must stay inside its key, value,
// prepared-value and item buffers (the sanitizers watch that) and leave the
// locale tables consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/environment_file.h"
#include "runtime/locale.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rt::Locale& loc = rt::locale();
  loc.reset();
  rt::read_environment_text(loc, reinterpret_cast<const char*>(data), static_cast<uint32_t>(size));
  // Case pairs from the file only ever touch the bytes 128 to 255.
  for (uint8_t c = 'a'; c <= 'z'; ++c) {
    if (loc.to_upper(c) != c - 32 || loc.to_lower(static_cast<uint8_t>(c - 32)) != c) std::abort();
  }
  for (uint32_t m = 1; m <= 12; ++m) {
    if (std::strlen(loc.month_name(m)) > rt::kMonthNameCapacity) std::abort();
    if (std::strlen(loc.month_abbrev(m)) > rt::kMonthAbbrevCapacity) std::abort();
  }
  if (std::strlen(loc.am_text()) > rt::kAmPmCapacity) std::abort();
  // The same bytes as a prepared value and as a program path.
  char prepared[rt::kPreparedQuotedCapacity];
  uint32_t n = rt::prepare_environment_value(reinterpret_cast<const char*>(data),
                                             static_cast<uint32_t>(size), false, prepared);
  char item[16];
  uint32_t item_length = 0;
  for (uint32_t i = 0; i < 8; ++i) {
    if (!rt::read_environment_item(prepared, n, i, item, sizeof item, &item_length)) break;
    if (item_length > sizeof item) std::abort();
  }
  char path[64];
  char program[128];
  size_t p = size < sizeof program - 1 ? size : sizeof program - 1;
  std::memcpy(program, data, p);
  program[p] = '\0';
  rt::environment_file_path(program, path, sizeof path);
  loc.reset();
  return 0;
}
