// The state the dialog, menu and sound calls share, and its reset.
#include "platform/user.h"

#include "platform/user_state.h"
#include "platform/window_internal.h"

namespace plat::detail {

user_state& user() {
  static user_state instance;
  return instance;
}

// Copies the dialog's state out, so that no lock is held while it is used.
bool dialog_of(HWND dialog, dialog_state* out) {
  user_lock lock(user().mutex);
  auto found = user().dialogs.find(dialog);
  if (found == user().dialogs.end()) return false;
  if (out != nullptr) *out = found->second;
  return true;
}

void reset_dialog_state() {
  user_lock lock(user().mutex);
  user().dialogs.clear();
  user().menus.clear();
  user().system_menus.clear();
  user().beeps = 0;
  user().input_hook = nullptr;
}

}  // namespace plat::detail
