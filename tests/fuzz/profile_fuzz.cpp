// Profile files are outside input: any bytes must read without a crash, the
// value must fit its buffer, and a listing must end with two NULs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "platform/profile.h"
#include "tests/fuzz/own_folder.h"

namespace {


const std::string& profile_name() {
  static const std::string name =
      (fuzz::own_folder() / "msgmake_profile_fuzz.ini").string();
  return name;
}

void write_profile(const uint8_t* data, size_t size) {
  plat::HANDLE file = plat::CreateFileA(profile_name().c_str(), plat::GENERIC_WRITE, 0, nullptr,
                                        plat::CREATE_ALWAYS, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == plat::INVALID_HANDLE_VALUE) std::abort();
  plat::DWORD written = 0;
  plat::WriteFile(file, data, static_cast<plat::DWORD>(size), &written, nullptr);
  plat::CloseHandle(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  write_profile(data, size);
  const char* file = profile_name().c_str();
  char value[16];
  for (const char* section : {"intl", "BWASCII", "", "Brindle 5 Tracing"}) {
    for (const char* key : {"sTime", "Profile", "", "auxtrace"}) {
      plat::DWORD n =
          plat::GetPrivateProfileStringA(section, key, "default", value, sizeof value, file);
      if (n >= sizeof value || std::strlen(value) != n) std::abort();
      plat::GetPrivateProfileIntA(section, key, -1, file);
    }
  }
  char list[32];
  plat::DWORD n = plat::GetPrivateProfileStringA(nullptr, nullptr, "", list, sizeof list, file);
  // Each name ends with a NUL and the list with one more; a list cut to the
  // buffer ends with two NULs after the cut.
  if (n > sizeof list - 1 || list[n] != '\0') std::abort();
  bool ends_a_name = n == 0 || list[n - 1] == '\0';
  if (!ends_a_name && (n != sizeof list - 2 || list[n + 1] != '\0')) std::abort();
  return 0;
}
