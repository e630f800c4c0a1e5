// The one writer of a draft: it walks a message (message.h) once, writes
// every header through the header policy and every body through its
// transfer encoding's filter, and hands the draft line by line to a sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mime/content_scan.h"
#include "mime/message.h"

namespace mime {

// Where the lines of a draft go.
class LineSink {
 public:
  virtual ~LineSink() = default;
  // One line of the draft, without its line end.
  virtual void line(std::string_view text) = 0;
  // A line of a part carried as it stands (7bit or 8bit): every byte of it
  // kept, trailing blanks included, however long it is.
  virtual void raw_line(std::string_view text) { line(text); }
  // No line has failed to reach the draft so far.
  virtual bool intact() const = 0;
};

// The part whose body source failed, and for a file the system's error
// (ERROR_FILE_INVALID: it changed since it was added, or while it was read).
struct WriteFailure {
  const Part* part = nullptr;
  uint32_t system_error = 0;
};

// Writes `message` to `sink`. Stops at the first body source that fails
// (noted in `failure`) or once the sink is no longer intact. True when the
// whole message reached the sink.
bool write_message(const Message& message, LineSink& sink, WriteFailure& failure);

// A file as a part will read it: its stamp and its first bytes (up to
// `head_size`), and, when `scan` is given, its whole content put through
// it. Opened for reading with others denied writing, as the writer opens it.
// False, with the system's error, when it cannot be opened or read.
struct FileLook {
  FileStamp stamp;
  std::string head;
  uint32_t system_error = 0;
};
bool look_at_file(const std::string& name, size_t head_size, FileLook& look, ContentScan* scan = nullptr);

}  // namespace mime
