// Process-wide state of the window layer: the program instance, the open
// application frame, the modal state, the running class number and the
// settings the layer's operations read.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace ui {

struct WindowObject;

// Called while the event loop waits for a message, with the runtime lock
// let go; and the runtime's handler for thread timers.
using IdleHook = void (*)();
using GlobalTimerHandler = void (*)(plat::UINT_PTR timer_id);
// The module after `previous` in the runtime's module list, null at the end.
using ModuleWalker = plat::HMODULE (*)(plat::HMODULE previous);

struct WindowLayer {
  plat::HINSTANCE instance = nullptr;  // null: the program's own module
  WindowObject* frame = nullptr;       // the open application frame
  int modal_windows = 0;               // modal windows open
  std::uint32_t modal_state = 0;       // saved and restored by ACCEPT
  std::uint32_t class_number = 0;      // the last class number given out
  plat::HICON default_icon = nullptr;
  bool system_font = false;  // MESSAGE uses the system face
  IdleHook idle_hook = nullptr;
  GlobalTimerHandler global_timer = nullptr;
  int focus_thread = -1;                 // the thread record the close test saw last
  ModuleWalker module_walker = nullptr;  // null: the registered modules

  // The program instance: the one handed over at start-up, else the one the
  // module registry recorded, else the program's module.
  plat::HINSTANCE program_instance() const;
  // Back to the state at start-up. Used between tests.
  void reset() { *this = WindowLayer{}; }
};

// The process-wide window layer.
WindowLayer& window_layer();

}  // namespace ui
