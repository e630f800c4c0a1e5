// The program's global data: the message file OUED and the input file INED
// with their name variables and record buffers, the queues GBQ (body lines)
// and GLQ (attachment names), the work directory and the scratch name.
//
// One object for the process, owned here. Its start routine (priority 5)
// gives everything its initial value; its stop routine frees the queues.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/program_queue.h"
#include "drivers/file_declaration.h"
#include "platform/path.h"

namespace app {

inline constexpr uint32_t kWorkDirectorySize = 256;
inline constexpr uint32_t kScratchNameSize = 255;
inline constexpr uint32_t kFileNameSize = 256;
inline constexpr uint32_t kMessageLineSize = 250;  // OUED:LINE
inline constexpr uint32_t kQueueTextSize = 255;    // GBQ:LINE, GLQ:FILENAME
// Room for a one-field record descriptor: group header, type, attribute,
// compact size and a short label.
inline constexpr uint32_t kDescriptorCapacity = 40;

struct ProgramData {
  char work_directory[kWorkDirectorySize];  // WorkDirectory, ends with a separator
  char scratch_name[kScratchNameSize];      // ScratchName
  char message_name[kFileNameSize];         // name of OUED
  char input_name[kFileNameSize];           // name of INED
  unsigned char message_line[kMessageLineSize];  // OUED:LINE
  unsigned char input_byte[1];                   // INED:LINE
  unsigned char message_descriptor[kDescriptorCapacity];
  unsigned char input_descriptor[kDescriptorCapacity];
  drv::FileDeclaration message_file;  // OUED: ASCII driver, one record per line
  drv::FileDeclaration input_file;    // INED: DOS driver, one record per byte
  ProgramQueue body_lines{"GBQ:LINE", kQueueTextSize};
  ProgramQueue file_names{"GLQ:FILENAME", kQueueTextSize};

  // Initial values: strings and name variables to spaces, OUED:LINE to
  // spaces, INED:LINE to 0, both files declared, the queues empty.
  void initialise();
  // Frees the queues' records (the program's stop step).
  void release();
};

ProgramData& program_data();

// The text of a fixed string without its trailing spaces.
std::string_view clipped(const char* text, uint32_t size);
inline std::string_view clipped(std::string_view text) {
  return clipped(text.data(), static_cast<uint32_t>(text.size()));
}

using plat::is_path_separator;

// The program module's initialisation routine: 0 at start-up, 1 at shutdown.
void program_module_routine(int32_t stage);

}  // namespace app
