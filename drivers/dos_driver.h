// The DOS driver: any file as a sequence of fixed-length records of raw
// bytes at byte positions; the last record of a file may be short.
#pragma once

#include <cstdint>

#include "drivers/driver_interface.h"

namespace drv {

// The driver entry named in a declaration's DRIVER('DOS').
int32_t dos_driver(int32_t op, FileDeclaration* file, const DriverArg* args);
const DriverDescriptor& dos_descriptor();

}  // namespace drv
