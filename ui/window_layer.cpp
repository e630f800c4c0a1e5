// The window layer's process-wide state.
#include "ui/window_layer.h"

#include "platform/process.h"

namespace ui {

plat::HINSTANCE WindowLayer::program_instance() const {
  return instance != nullptr ? instance : plat::GetModuleHandleA(nullptr);
}

WindowLayer& window_layer() {
  static WindowLayer instance;
  return instance;
}

}  // namespace ui
