#include "app/program_data.h"

#include <cstring>

#include "app/run_outcome.h"
#include "app/runtime_seams.h"
#include "evaluator/builtins.h"
#include "runtime/date_time.h"
#include "runtime/locale.h"
#include "runtime/record_descriptor.h"
#include "runtime/string_ops.h"
#include "runtime/string_value.h"
#include "services/runtime_error.h"

namespace app {

namespace {

ProgramData the_data;

// A record of one field, labelled with the file's prefix ("OUED:LINE").
void describe_record(unsigned char (&descriptor)[kDescriptorCapacity], rt::FieldType type,
                     const char* label, uint32_t size) {
  rt::DescriptorWriter writer(descriptor, kDescriptorCapacity);
  writer.begin_group();
  writer.field(type, label, size);
  writer.end_group();
}

void declare(drv::FileDeclaration& file, drv::DriverEntry driver, char* name,
             unsigned char* record, uint32_t record_length, const unsigned char* descriptor) {
  file = drv::FileDeclaration{};
  file.driver = driver;
  file.name = name;
  file.name_length = static_cast<int32_t>(kFileNameSize);
  file.driver_string = "";
  file.driver_string_length = drv::kNulTerminated;
  file.attributes = drv::kDeclCreate | drv::kDeclThread;
  file.record_length = record_length;
  file.record_descriptor = descriptor;
  file.record = record;
}

}  // namespace

ProgramData& program_data() { return the_data; }

std::string_view clipped(const char* text, uint32_t size) {
  return {text, rt::clipped_length(text, size)};
}

void ProgramData::initialise() {
  rt::fill_spaces(work_directory, kWorkDirectorySize);
  rt::fill_spaces(scratch_name, kScratchNameSize);
  rt::fill_spaces(message_name, kFileNameSize);
  rt::fill_spaces(input_name, kFileNameSize);
  rt::fill_spaces(reinterpret_cast<char*>(message_line), kMessageLineSize);
  input_byte[0] = 0;
  describe_record(message_descriptor, rt::FT_STRING, "OUED:LINE", kMessageLineSize);
  describe_record(input_descriptor, rt::FT_BYTE, "INED:LINE", 1);
  declare(message_file, seam::ascii_driver(), message_name, message_line, kMessageLineSize,
          message_descriptor);
  declare(input_file, seam::dos_driver(), input_name, input_byte, 1, input_descriptor);
  release();
  body_lines.clear_field();
  file_names.clear_field();
}

void ProgramData::release() {
  body_lines.free();
  file_names.free();
}

void program_module_routine(int32_t stage) {
  if (stage == 0) {
    eval::seed_random(static_cast<uint64_t>(rt::CLOCK()));  // the time of day
    svc::set_runtime_error_notice(&announce_runtime_error);
    rt::locale().initialise();
    the_data.initialise();
  } else {
    the_data.release();
  }
}

}  // namespace app
