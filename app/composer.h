// The message composer: writes the whole draft message file in one pass,
// line by line, in the order the lines stand in the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mime/header_policy.h"
#include "mime/message.h"

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

// A header field of the caller's own, in UTF-8: the sender's addresses
// (From, Reply-To) or any field the program does not write itself.
struct HeaderField {
  std::string name;
  std::string value;
};

// True for the fields that the composer writes from its arguments (To, Cc,
// Bcc, Subject, Date, MIME-Version, every Content- field, the priority and
// draft fields) and for the address fields From and Reply-To, in any letter
// case: a caller's own field cannot take one of these names.
bool composer_field(std::string_view name);
// True for From and Reply-To, in any letter case.
bool address_field(std::string_view name);

// The priority's header lines for the word that selects them.
struct PriorityLines {
  std::string_view priority;  // the text that selects the row; empty for any other
  std::string_view x_priority;
  std::string_view ms_priority;
};
// The lines of "High" or "Low", given exactly; "Normal"'s for any other word.
const PriorityLines& exact_priority_lines(std::string_view word);
// The same, the word matched as the runtime compares texts.
const PriorityLines& priority_lines(std::string_view word);
// The two priority fields of `priority`, appended to `fields`.
void add_priority_fields(const PriorityLines& priority, std::vector<mime::HeaderField>& fields);

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
