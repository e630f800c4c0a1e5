// The message composer: writes the whole draft message file in one pass,
// line by line, in the order the lines stand in the file.
#pragma once

#include <cstdint>
#include <string_view>

#include "mime/header_policy.h"

namespace app {

// The thirteen arguments of the message procedure, converted.
struct MessageArguments {
  std::string_view message_file;
  int32_t unused = 0;
  std::string_view to_list;
  std::string_view subject;
  int32_t back_color = 0;
  std::string_view font_face;
  int32_t font_color = 0;
  uint8_t font_size = 0;
  std::string_view cc_list;
  std::string_view bcc_list;
  std::string_view sound_file;
  std::string_view sound_loop;
  std::string_view priority;
};

// Composer results.
inline constexpr uint8_t kComposed = 0;
inline constexpr uint8_t kInputUnreadable = 1;    // message removed again
inline constexpr uint8_t kMessageUnwritable = 2;  // nothing written

uint8_t MakeEMLAttachmentFile(const MessageArguments& args);

// The lines of an address header ("To", "Cc", "Bcc") and of the subject, made
// from the arguments' text by the header policy.
mime::HeaderLines address_lines(std::string_view name, std::string_view list);
mime::HeaderLines subject_lines(std::string_view subject);

// Equal by the runtime's comparison: trailing spaces do not count, bytes
// compare by collation weight.
bool same_text(std::string_view left, std::string_view right);
inline bool is_blank(std::string_view text) { return same_text(text, {}); }

}  // namespace app
