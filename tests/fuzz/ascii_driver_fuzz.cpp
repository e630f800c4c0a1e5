// Reads arbitrary file contents line by line through the ASCII driver. The
// first byte picks the record length and the tab setting, the second the line
// end; every read must move forward and stay inside the record.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "drivers/ascii_driver.h"
#include "drivers/file_declaration.h"
#include "drivers/operation_codes.h"
#include "drivers/record_statements.h"
#include "runtime/record_descriptor.h"
#include "services/error_state.h"
#include "tests/fuzz/own_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const std::string name =
      (fuzz::own_folder() / "msgmake-ascii-fuzz.txt").string();
  std::FILE* out = std::fopen(name.c_str(), "wb");
  if (!out) return 0;
  std::fwrite(data + 2, 1, size - 2, out);
  std::fclose(out);

  uint32_t length = 1 + data[0] % 40;
  static const char* kOptions[] = {"/TAB=8", "/TAB=-100/ENDOFRECORD=1,10", "/TAB=3/CTRLZISEOF=OFF",
                                   "/ENDOFRECORD=0", "/TAB=0/ENDOFRECORD=3,13,10,13",
                                   "/FILEBUFFERS=0/QUICKSCAN=OFF"};
  const char* options = kOptions[data[1] % (sizeof kOptions / sizeof kOptions[0])];
  unsigned char descriptor[64];
  rt::DescriptorWriter w(descriptor, sizeof descriptor);
  w.begin_group();
  w.field(rt::FT_STRING, "F:LINE", length);
  w.end_group();
  unsigned char record[64];
  drv::FileDeclaration f{};
  f.driver = drv::ascii_driver;
  f.name = name.c_str();
  f.name_length = drv::kNulTerminated;
  f.driver_string = options;
  f.driver_string_length = drv::kNulTerminated;
  f.record_length = length;
  f.record_descriptor = descriptor;
  f.record = record;
  drv::OPEN(&f, 0x20);
  drv::SET(&f);
  int32_t last = 0;
  for (size_t reads = 0; reads <= size; ++reads) {
    drv::NEXT(&f);
    if (svc::error_state().code() != 0) break;
    int32_t pointer = f.driver(drv::OP_POINTERfile, &f, nullptr);
    if (pointer <= last) __builtin_trap();  // no progress
    last = pointer;
  }
  drv::CLOSE(&f);
  return 0;
}
