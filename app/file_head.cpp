#include "app/file_head.h"

#include <cstring>

#include "app/program_data.h"
#include "platform/file.h"
#include "platform/handle.h"

namespace app {

namespace {

// Opens `path` to read, sharing everything: the look must never stand in the
// way of the copy or the encoder that read the file after it.
plat::HANDLE open_to_look(std::string_view path) {
  char name[kFileNameSize + 1];
  if (path.size() > kFileNameSize) return plat::INVALID_HANDLE_VALUE;
  std::memcpy(name, path.data(), path.size());
  name[path.size()] = '\0';
  return plat::CreateFileA(name, plat::GENERIC_READ,
                           plat::FILE_SHARE_READ | plat::FILE_SHARE_WRITE | plat::FILE_SHARE_DELETE, nullptr,
                           plat::OPEN_EXISTING, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::optional<bool> file_holds_carriage_return(std::string_view path) {
  const plat::HANDLE file = open_to_look(path);
  if (file == plat::INVALID_HANDLE_VALUE) return std::nullopt;
  char block[16 * 1024];
  plat::DWORD got = 0;
  std::optional<bool> found = false;
  while (!*found) {
    if (!plat::ReadFile(file, block, sizeof block, &got, nullptr)) {
      found.reset();
      break;
    }
    if (got == 0) break;
    found = std::memchr(block, '\r', got) != nullptr;
  }
  plat::CloseHandle(file);
  return found;
}

std::span<const unsigned char> read_file_head(std::string_view path, FileHead& head) {
  const plat::HANDLE file = open_to_look(path);
  if (file == plat::INVALID_HANDLE_VALUE) return {};
  plat::DWORD got = 0;
  if (!plat::ReadFile(file, head, kFileHeadSize, &got, nullptr)) got = 0;
  plat::CloseHandle(file);
  return {head, got};
}

}  // namespace app
