// The structure dump: a file's layout written into its trace log in the form
// of the file's declaration.
#pragma once

#include "drivers/file_instance.h"
#include "drivers/trace_writer.h"

namespace drv {

void write_structure_dump(TraceWriter& out, const FileInstance& file);

}  // namespace drv
