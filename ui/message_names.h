// Names of window messages for the trace log: the standard window messages,
// the DDE messages, the event messages and the runtime's own queries.
#pragma once

#include <cstdint>

namespace ui {

struct MessageNamePair {
  std::uint32_t number;
  const char* name;  // null ends the table
};

// The message-name table, in number order, ended by a pair with no name.
const MessageNamePair* message_name_table();
// How many standard window messages ("WM_NULL" to "WM_CTLCOLORSTATIC")
// the table holds.
inline constexpr int standard_message_name_count = 171;

// A message's name, or its number as "%#.4x" (0x0113) when it has none.
struct MessageName {
  char text[32];
  const char* c_str() const { return text; }
};
MessageName message_name(std::uint32_t number);

}  // namespace ui
