#include "runtime/environment_file.h"

#include "runtime/locale.h"

namespace rt {

bool environment_file_path(const char*, char* out, uint32_t size) {
  if (size > 0) out[0] = '\0';
  return false;
}
void read_environment_file(Locale&, const char*) {}
void read_environment_text(Locale&, const char*, uint32_t) {}
void apply_environment_key(Locale&, const char*, const char*, uint32_t) {}

}  // namespace rt
