#include "drivers/driver_interface.h"

namespace drv {

bool supports_operation(const DriverDescriptor& driver, int32_t code) {
  for (uint32_t i = 1; i <= driver.operations[0]; ++i)
    if (driver.operations[i] == code) return true;
  return false;
}

}  // namespace drv
