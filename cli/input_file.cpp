#include "cli/input_file.h"

#include "drivers/common_operations.h"
#include "drivers/low_level_io.h"
#include "platform/file.h"
#include "platform/last_error.h"
#include "services/error_state.h"

namespace cli {

namespace {

constexpr uint32_t kReadOnlyShareAll = 0x40;  // read access, others denied nothing
constexpr uint32_t kChunk = 64 * 1024;

int32_t open_for_reading(std::string_view name, drv::sys::HANDLE& handle) {
  const std::string path(name);
  const uint32_t error = drv::sys::open_existing(path.c_str(), kReadOnlyShareAll, handle);
  return error == 0 ? 0 : drv::code_of_system_error(error);
}

// The body may come from a pipe or a device as well as from a file: only the
// files to attach and embed are copied and so must be regular files.
int32_t open_stream(std::string_view name, drv::sys::HANDLE& handle) {
  const std::string path(name);
  handle = plat::OpenInputStreamA(path.c_str());
  if (handle != plat::INVALID_HANDLE_VALUE) return 0;
  handle = nullptr;
  return drv::code_of_system_error(plat::GetLastError());
}

}  // namespace

uint32_t read_standard_input(std::string& bytes) {
  const plat::HANDLE input = plat::GetStdHandle(plat::STD_INPUT_HANDLE);
  if (input == nullptr) return plat::GetLastError();
  std::string chunk(kChunk, '\0');
  plat::DWORD count = 0;
  uint32_t error = 0;
  while ((error = plat::ReadFile(input, chunk.data(), kChunk, &count, nullptr) ? 0 : plat::GetLastError()) == 0 &&
         count > 0)
    bytes.append(chunk, 0, count);
  plat::CloseHandle(input);
  plat::SetLastError(0);
  return error;
}

int32_t read_input(std::string_view name, std::string& bytes) {
  drv::sys::HANDLE handle = nullptr;
  if (const int32_t code = open_stream(name, handle); code != 0) return code;
  std::string chunk(kChunk, '\0');
  uint32_t error = 0, count = 0;
  while ((error = drv::sys::read(handle, chunk.data(), kChunk, count)) == 0 && count > 0) bytes.append(chunk, 0, count);
  drv::sys::close(handle);
  return error == 0 ? 0 : svc::err::system_base + static_cast<int32_t>(error);
}

int32_t check_readable(std::string_view name) {
  drv::sys::HANDLE handle = nullptr;
  const int32_t code = open_for_reading(name, handle);
  if (code == 0) drv::sys::close(handle);
  return code;
}

}  // namespace cli
