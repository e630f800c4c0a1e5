// Full path names are built from outside text: any name must give either a
// failure or an absolute, NUL-ended name without "." or ".." parts that fits
// the buffer it reports.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name(reinterpret_cast<const char*>(data), size);
  name = name.c_str();  // the call sees the text up to its first NUL
  char buffer[300];
  plat::LPSTR file_part = nullptr;
  plat::DWORD n = plat::GetFullPathNameA(name.c_str(), sizeof buffer, buffer, &file_part);
  if (n == 0 || n >= sizeof buffer) return 0;
  std::string full(buffer);
  if (full.size() != n || full[0] != '/') std::abort();
  if (full.find("/./") != std::string::npos || full.find("/../") != std::string::npos) std::abort();
  if (full.find("//") != std::string::npos) std::abort();
  if (file_part != nullptr && (file_part < buffer || file_part >= buffer + n)) std::abort();
  return 0;
}
