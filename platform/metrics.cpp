// System metrics, colours and the beep.
#include "platform/user.h"
#include "platform/user_state.h"

namespace plat {

using namespace detail;

int GetSystemMetrics(int index) {
  struct metric {
    int index;
    int value;
  };
  static constexpr metric metrics[] = {
      {SM_CXSCREEN, 1024}, {SM_CYSCREEN, 768}, {SM_CXVSCROLL, 16},      {SM_CYHSCROLL, 16},
      {SM_CYCAPTION, 18},  {SM_CXBORDER, 1},   {SM_CYBORDER, 1},        {SM_CXDLGFRAME, 3},
      {SM_CYDLGFRAME, 3},  {SM_CXICON, 32},    {SM_CYICON, 32},         {SM_CXCURSOR, 32},
      {SM_CYCURSOR, 32},   {SM_CYMENU, 19},    {SM_CXFULLSCREEN, 1024}, {SM_CYFULLSCREEN, 731},
      {SM_CXFRAME, 4},     {SM_CYFRAME, 4},
  };
  for (const metric& m : metrics) {
    if (m.index == index) return m.value;
  }
  return 0;
}

BOOL MessageBeep(UINT) {
  user_lock lock(user().mutex);
  ++user().beeps;
  return TRUE;
}

int message_beep_count() {
  user_lock lock(user().mutex);
  return user().beeps;
}

DWORD GetSysColor(int index) {
  constexpr DWORD button_face = 0xC0C0C0;
  constexpr DWORD window_background = 0xFFFFFF;
  return index == COLOR_BTNFACE ? button_face : window_background;
}

HBRUSH GetSysColorBrush(int index) {
  constexpr uintptr_t system_brush_base = 0x2F100;
  return reinterpret_cast<HBRUSH>(system_brush_base + static_cast<uintptr_t>(index));
}

}  // namespace plat
