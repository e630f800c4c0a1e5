// Icons: the system icons by number; a program's own icons are resources.
#include "platform/dialog.h"
#include "platform/last_error.h"
#include "platform/resource.h"
#include "platform/user.h"

namespace plat {

namespace {

constexpr uintptr_t system_icon_base = 0x50000;
constexpr WORD first_system_icon = 32512;
constexpr WORD last_system_icon = 32517;

}  // namespace

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (instance == nullptr) {
    auto id = reinterpret_cast<uintptr_t>(name);
    if (IS_INTRESOURCE(name) && id >= first_system_icon && id <= last_system_icon) {
      return reinterpret_cast<HICON>(system_icon_base + id);
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  HRSRC found = FindResourceA(instance, name, RT_GROUP_ICON);
  return reinterpret_cast<HICON>(found);
}

HICON ExtractIconA(HINSTANCE, LPCSTR, UINT) {
  return nullptr;
}

BOOL DrawIcon(HDC dc, int, int, HICON icon) {
  return dc != nullptr && icon != nullptr ? TRUE : FALSE;
}

BOOL DestroyIcon(HICON icon) {
  return icon != nullptr ? TRUE : FALSE;
}

}  // namespace plat
