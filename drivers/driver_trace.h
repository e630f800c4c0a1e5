// Tracing of driver operations to a log file, switched on per driver in the
// user's profile: one line per operation, and with details the structure
// dump of each file once per run and the values of the records moved.
#pragma once

#include <cstdint>

#include "drivers/driver_interface.h"

namespace drv {

// Reads the driver's profile settings into a new instance.
void trace_setup(FileInstance& file);

// Writes the entries of one operation (error code 0 on success).
void trace_operation(FileInstance& file, int32_t code, const KeyDescriptor* key, int32_t error,
                     uint32_t elapsed_centiseconds);

// The centisecond clock: the system's millisecond tick divided by 10.
uint32_t centiseconds();

// Forgets which files had their structure dump written (between tests).
void reset_trace_dumps();

}  // namespace drv
