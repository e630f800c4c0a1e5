// Keyboard translation: the key states a thread's taken messages leave, and
// the characters that key presses type.
#include "platform/window.h"
#include "platform/window_system.h"

namespace plat {
namespace detail {

bool is_keyboard_message(UINT message) {
  return message >= WM_KEYDOWN && message <= 0x0108;
}

void note_key_state(thread_queue& queue, const MSG& message) {
  BYTE& key = queue.keys[message.wParam & 0xFF];
  if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
    if ((key & 0x80) == 0) key ^= 1;  // a fresh press toggles the lock keys
    key |= 0x80;
  } else if (message.message == WM_KEYUP || message.message == WM_SYSKEYUP) {
    key &= 0x7F;
  }
}

}  // namespace detail

using namespace detail;

namespace {

// The character a key types, 0 for none.
char typed_character(int key, bool shift) {
  if (key >= 'A' && key <= 'Z') return static_cast<char>(shift ? key : key - 'A' + 'a');
  if (key >= '0' && key <= '9') return static_cast<char>(key);
  switch (key) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return '\r';
    case VK_ESCAPE:
      return 0x1B;
    case VK_BACK:
      return 0x08;
    case VK_TAB:
      return 0x09;
    default:
      return 0;
  }
}

}  // namespace

BOOL TranslateMessage(const MSG* message) {
  if (message == nullptr || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)) {
    return FALSE;
  }
  char c = typed_character(static_cast<int>(message->wParam), GetKeyState(VK_SHIFT) < 0);
  if (c == 0) return FALSE;
  UINT typed = message->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  lock_type lock(sys().mutex);
  // The character comes before anything posted after the key.
  own_queue().posted.push_front(
      MSG{message->hwnd, typed, static_cast<BYTE>(c), message->lParam, message->time, message->pt});
  return TRUE;
}

short GetKeyState(int virtual_key) {
  lock_type lock(sys().mutex);
  BYTE key = own_queue().keys[virtual_key & 0xFF];
  return static_cast<short>(((key & 0x80) != 0 ? 0x8000 : 0) | (key & 1));
}

}  // namespace plat
