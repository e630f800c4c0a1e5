// Writing the message file one line at a time, and the wait cursor shown
// while it is written.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "runtime/number_text.h"

namespace app {

// Assigns the pieces, one after the other, to OUED:LINE (cut to 250 bytes,
// padded with spaces) and appends the record: the ASCII driver writes it
// without its trailing spaces and ends it with CR LF. A CR or LF byte inside
// the text is written as a space, so no caller text can end a line early and
// add a header or a part of its own.
void write_line(std::initializer_list<std::string_view> pieces);
inline void write_line(std::string_view text) { write_line({text}); }
inline void write_empty_line() { write_line(std::string_view()); }

// Appends OUED:LINE as it stands (the encoder fills it in place). A record
// that cannot be written is noted as the run's failure: the message would
// be incomplete.
void append_message_record();

// No line of the message has failed to reach the file so far.
bool message_intact();

// Opens the message file afresh (removed, created, opened to write with
// others denied writing) and marks it unfinished; false, with the failure
// noted, when it cannot be opened.
bool open_message_file(std::string_view name);
// Closes the complete message; a failure of the last writes then is noted
// and the file removed. True when the message is whole on the disk.
bool close_message_file();
// Closes the message where it stands and removes it: it would be incomplete.
void abandon_message_file();

// The system's wait cursor, shown while the message is written.
void show_wait_cursor();
// Takes the wait cursor away again when it is still the current one.
void restore_cursor();

// The decimal text of a number, written into `out`.
std::string_view decimal_text(int32_t value, char (&out)[rt::kNumberTextCapacity]);

}  // namespace app
