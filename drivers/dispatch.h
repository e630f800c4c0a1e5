// The dispatch that every driver entry runs: state rules, the operation, the
// state update, tracing, string arguments and results, error posting.
#pragma once

#include <cstdint>

#include "drivers/driver_interface.h"

namespace drv {

// Runs operation `code` of `driver` on a declared file. Returns the value of a
// function-like statement (EOF, BOF, POINTER, BYTES, RECORDS), else 0.
int32_t dispatch(const DriverDescriptor& driver, int32_t code, FileDeclaration* file,
                 const DriverArg* args);

// Frees an instance and empties the declaration's slot; the file leaves the
// list of files in use.
void discard_instance(FileDeclaration* file);

}  // namespace drv
