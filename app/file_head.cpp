#include "app/file_head.h"

#include <cstring>

#include "app/program_data.h"
#include "mime/content_scan.h"
#include "platform/file.h"
#include "platform/handle.h"

namespace app {

namespace {

// Opens `path` to read, sharing everything unless `unchanging`: the look must
// never stand in the way of the copy or the encoder that read the file after
// it. An unchanging file is one that nobody may write meanwhile, and whose
// reading fails when it changed all the same.
plat::HANDLE open_to_look(std::string_view path, bool unchanging = false) {
  char name[kFileNameSize + 1];
  if (path.size() > kFileNameSize) return plat::INVALID_HANDLE_VALUE;
  std::memcpy(name, path.data(), path.size());
  name[path.size()] = '\0';
  const plat::DWORD share =
      unchanging ? plat::FILE_SHARE_READ : plat::FILE_SHARE_READ | plat::FILE_SHARE_WRITE | plat::FILE_SHARE_DELETE;
  return plat::CreateFileA(name, plat::GENERIC_READ, share, nullptr, plat::OPEN_EXISTING, plat::FILE_ATTRIBUTE_NORMAL,
                           nullptr);
}

}  // namespace

bool scan_file(std::string_view path, mime::ContentScan& scan) {
  const plat::HANDLE file = open_to_look(path, true);
  if (file == plat::INVALID_HANDLE_VALUE) return false;
  unsigned char block[16 * 1024];
  plat::DWORD got = 0;
  bool read = true;
  while ((read = plat::ReadFile(file, block, sizeof block, &got, nullptr) != 0) && got != 0) scan.put({block, got});
  plat::CloseHandle(file);
  return read;
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
