// The ASCII driver: a text file as a sequence of line records. A read copies
// one line into the record without its line end, tabs expanded and the rest
// of the record spaces; a write stores the record, normally without its
// trailing spaces, followed by the line end.
#pragma once

#include <cstdint>

#include "drivers/driver_interface.h"

namespace drv {

// The driver entry named in a declaration's DRIVER('ASCII').
int32_t ascii_driver(int32_t op, FileDeclaration* file, const DriverArg* args);
const DriverDescriptor& ascii_descriptor();

}  // namespace drv
