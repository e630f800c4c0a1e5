// The window layer's process-wide state.
#include "ui/window_layer.h"

#include "platform/process.h"
#include "services/module_registry.h"

namespace ui {

plat::HINSTANCE WindowLayer::program_instance() const {
  if (instance != nullptr) return instance;
  plat::HINSTANCE registered = svc::module_registry().program_instance();
  return registered != nullptr ? registered : plat::GetModuleHandleA(nullptr);
}

WindowLayer& window_layer() {
  static WindowLayer instance;
  return instance;
}

}  // namespace ui
