#include "app/program_data.h"

#include <cstring>

#include "app/runtime_seams.h"
#include "evaluator/builtins.h"
#include "platform/file.h"
#include "platform/last_error.h"
#include "runtime/date_time.h"
#include "runtime/locale.h"
#include "runtime/record_descriptor.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"
#include "runtime/string_value.h"

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

void PrepareWorkDirectory() {
  ProgramData& data = program_data();
  rt::StringStack& stack = rt::string_stack();
  seam::push_current_directory_long_form();
  stack.push_borrowed("\\WRK\\", 5);
  rt::concat();
  stack.pop_into_string(data.work_directory, kWorkDirectorySize);
  MakeDirectoryPath(clipped(data.work_directory, kWorkDirectorySize));
  HoldWorkDirectory();
}

bool HoldWorkDirectory() {
  const std::string_view folder = clipped(program_data().work_directory, kWorkDirectorySize);
  char name[kWorkDirectorySize + sizeof kWorkDirectoryHoldFile];
  std::memcpy(name, folder.data(), folder.size());
  std::memcpy(name + folder.size(), kWorkDirectoryHoldFile, sizeof kWorkDirectoryHoldFile);
  // A process holds one work directory: one held before is let go first
  // (only tests prepare the directory twice), or it would wait for itself.
  static plat::HANDLE hold = nullptr;
  if (hold != nullptr) plat::CloseHandle(hold);
  hold = plat::CreateFileA(name, plat::GENERIC_READ | plat::GENERIC_WRITE,
                           plat::FILE_SHARE_READ | plat::FILE_SHARE_WRITE, nullptr,
                           plat::OPEN_ALWAYS, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  plat::OVERLAPPED first_byte{};
  const bool held = hold != plat::INVALID_HANDLE_VALUE &&
                    plat::LockFileEx(hold, plat::LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &first_byte);
  if (hold == plat::INVALID_HANDLE_VALUE) hold = nullptr;
  plat::SetLastError(0);
  // The handle stays open: the system lets the lock go when the process ends.
  return held;
}

void MakeDirectoryPath(std::string_view path) {
  path = clipped(path);
  if (path.empty()) return;
  // The path with its closing separator, as a C string.
  char text[kWorkDirectorySize + 2];
  uint32_t n = path.size() < kWorkDirectorySize ? static_cast<uint32_t>(path.size()) : kWorkDirectorySize;
  std::memcpy(text, path.data(), n);
  if (!is_path_separator(text[n - 1])) text[n++] = '\\';
  text[n] = '\0';
  seam::create_directory(text);
  bool first = true;
  for (uint32_t i = 0; i < n; ++i) {
    if (!is_path_separator(text[i])) continue;
    if (first) {
      first = false;
      continue;
    }
    const char kept = text[i];
    text[i] = '\0';
    seam::create_directory(text);
    text[i] = kept;
  }
}

void program_module_routine(int32_t stage) {
  if (stage == 0) {
    eval::seed_random(static_cast<uint64_t>(rt::CLOCK()));  // the time of day
    rt::locale().initialise();
    the_data.initialise();
  } else {
    the_data.release();
  }
}

}  // namespace app
