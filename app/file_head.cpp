#include "app/file_head.h"

#include <cstring>

#include "app/program_data.h"
#include "platform/file.h"
#include "platform/handle.h"

namespace app {

std::span<const unsigned char> read_file_head(std::string_view path, FileHead& head) {
  char name[kFileNameSize + 1];
  if (path.size() > kFileNameSize) return {};
  std::memcpy(name, path.data(), path.size());
  name[path.size()] = '\0';
  // Shares everything: the look must never stand in the way of the copy or
  // the encoder that read the file after it.
  const plat::HANDLE file =
      plat::CreateFileA(name, plat::GENERIC_READ, plat::FILE_SHARE_READ | plat::FILE_SHARE_WRITE | plat::FILE_SHARE_DELETE,
                        nullptr, plat::OPEN_EXISTING, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == plat::INVALID_HANDLE_VALUE) return {};
  plat::DWORD got = 0;
  if (!plat::ReadFile(file, head, kFileHeadSize, &got, nullptr)) got = 0;
  plat::CloseHandle(file);
  return {head, got};
}

}  // namespace app
