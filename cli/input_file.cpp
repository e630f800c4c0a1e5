#include "cli/input_file.h"

#include "drivers/common_operations.h"
#include "drivers/low_level_io.h"
#include "platform/file.h"
#include "platform/last_error.h"
#include "services/error_state.h"

namespace cli {

namespace {

constexpr uint32_t kReadOnlyShareAll = 0x40;  // read access, others denied nothing

int32_t open_for_reading(std::string_view name, drv::sys::HANDLE& handle) {
  const std::string path(name);
  const uint32_t error = drv::sys::open_existing(path.c_str(), kReadOnlyShareAll, handle);
  return error == 0 ? 0 : drv::code_of_system_error(error);
}

}  // namespace

int32_t check_readable(std::string_view name) {
  drv::sys::HANDLE handle = nullptr;
  const int32_t code = open_for_reading(name, handle);
  if (code == 0) drv::sys::close(handle);
  return code;
}

}  // namespace cli
