// Menus: a menu is a list of item identifiers; a window's system menu is
// made when first asked for.
#include <algorithm>
#include <vector>

#include "platform/last_error.h"
#include "platform/user.h"
#include "platform/user_state.h"

namespace plat {

using namespace detail;

namespace {

HMENU new_menu(std::vector<UINT> items) {
  user_lock lock(user().mutex);
  auto menu = reinterpret_cast<HMENU>(user().next_menu);
  user().next_menu += 4;
  user().menus[menu] = std::move(items);
  return menu;
}

template <class Use>
auto with_menu(HMENU menu, Use use) -> decltype(use(std::declval<std::vector<UINT>&>())) {
  user_lock lock(user().mutex);
  auto found = user().menus.find(menu);
  if (found == user().menus.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return {};
  }
  return use(found->second);
}

}  // namespace

HMENU GetSystemMenu(HWND window, BOOL revert) {
  if ((GetWindowLongPtrA(window, GWL_STYLE) & WS_SYSMENU) == 0) return nullptr;
  HMENU existing = nullptr;
  {
    user_lock lock(user().mutex);
    auto found = user().system_menus.find(window);
    if (found != user().system_menus.end()) existing = found->second;
  }
  if (revert) {
    if (existing != nullptr) DestroyMenu(existing);
    user_lock lock(user().mutex);
    user().system_menus.erase(window);
    return nullptr;
  }
  if (existing != nullptr) return existing;
  HMENU menu =
      new_menu({SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE, SC_TASKLIST});
  user_lock lock(user().mutex);
  user().system_menus[window] = menu;
  return menu;
}

HMENU CreateMenu() {
  return new_menu({});
}

BOOL DestroyMenu(HMENU menu) {
  user_lock lock(user().mutex);
  if (user().menus.erase(menu) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT item, UINT flags) {
  return with_menu(menu, [&](std::vector<UINT>& items) -> BOOL {
    auto at = (flags & MF_BYPOSITION) != 0
                  ? (item < items.size() ? items.begin() + item : items.end())
                  : std::find(items.begin(), items.end(), item);
    if (at == items.end()) return FALSE;
    items.erase(at);
    return TRUE;
  });
}

BOOL DeleteMenu(HMENU menu, UINT item, UINT flags) {
  return RemoveMenu(menu, item, flags);
}

int GetMenuItemCount(HMENU menu) {
  int count =
      with_menu(menu, [](std::vector<UINT>& items) { return static_cast<int>(items.size()); });
  return menu == nullptr ? -1 : count;
}

UINT GetMenuItemID(HMENU menu, int position) {
  return with_menu(menu, [position](std::vector<UINT>& items) {
    return position >= 0 && static_cast<size_t>(position) < items.size()
               ? items[static_cast<size_t>(position)]
               : UINT{0xFFFFFFFF};
  });
}

BOOL DrawMenuBar(HWND window) {
  return IsWindow(window);
}

}  // namespace plat
