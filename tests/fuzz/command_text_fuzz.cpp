// Feeds arbitrary bytes to the program's handling of its command text: the
// split into body lines and file names, the blanking of the leading number,
// and the image-reference search of every body line. Nothing may read or
// write outside the 10000-byte command text or a 255-byte line.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/html_body.h"
#include "app/main_procedure.h"
#include "app/program_queue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static char command_text[app::kCommandTextSize];
  std::memset(command_text, ' ', sizeof command_text);
  if (size > 0) std::memcpy(command_text, data, size < sizeof command_text ? size : sizeof command_text);
  app::MainLocals locals{};
  app::ProgramQueue lines("GBQ:LINE", app::ProgramQueue::kMaxFieldSize);
  app::ProgramQueue files("GLQ:FILENAME", app::ProgramQueue::kMaxFieldSize);
  app::split_delimited(command_text, app::kLineDelimiter, lines, locals);
  app::split_delimited(command_text, app::kFileDelimiter, files, locals);
  app::strip_leading_number(command_text, locals);
  const uint32_t count = lines.records();
  for (uint32_t i = 1; i <= count; ++i) {
    lines.get(i);
    const app::ImageReference ref = app::find_image_reference(lines.field(), lines.field_size());
    if (ref.found() && !(ref.open_quote < ref.close_quote && ref.close_quote <= lines.field_size())) std::abort();
  }
  lines.free();
  files.free();
  return 0;
}
