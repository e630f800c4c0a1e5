// Writing the message file one line at a time, and the wait cursor shown
// while it is written.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/number_text.h"

namespace app {

// Assigns the pieces, one after the other, to OUED:LINE (cut to 250 bytes,
// padded with spaces) and appends the record: the ASCII driver writes it
// without its trailing spaces and ends it with CR LF. A CR or LF byte inside
// the text is written as a space, so no caller text can end a line early and
// add a header or a part of its own.
void write_line(std::initializer_list<std::string_view> pieces);
inline void write_line(std::string_view text) { write_line({text}); }
// Each of `lines` as a line of its own (a header's lines).
void write_lines(const std::vector<std::string>& lines);

// While one lives, write_line writes nothing: it only notes whether a line
// would lose bytes other than trailing spaces to the 250-byte cut, so that
// a caller can refuse text that would not arrive whole before writing any.
class LineCheck {
 public:
  LineCheck();
  ~LineCheck();
  LineCheck(const LineCheck&) = delete;
  LineCheck& operator=(const LineCheck&) = delete;
  bool any_cut() const;
};

// Appends OUED:LINE as it stands (the encoder fills it in place). A record
// that cannot be written is noted as the run's failure: the message would
// be incomplete.
void append_message_record();

// Appends `bytes` exactly as they are, line ends included: nothing is cut,
// clipped or added (the lines of a part written unencoded). A write that
// fails is noted as append_message_record notes it.
void write_bytes(std::string_view bytes);

// No line of the message has failed to reach the file so far.
bool message_intact();

// How the lines of a draft reach its file: each line appended as a record
// of OUED (write_line, write_bytes), or the bytes written straight to the
// draft in large blocks (write_draft_block), which keeps no record and
// traces none.
enum class DraftWrites { records, blocks };

// Opens the message file to be written: the message goes to a temporary
// draft beside it (see draft_names.h), made under a name nobody could take
// first, with the permissions (and, as far as they can be given, the owner
// and group) of the message file it will replace, opened to write with
// others denied writing and marked unfinished, while the record statements
// on OUED, and their traces, go on naming the message file itself. Whatever
// stands at the message file's path stays untouched until the draft is
// whole. False, with the failure noted, when the draft cannot be opened or
// the path may not be replaced (see output_checks.h).
bool open_message_file(std::string_view name, DraftWrites writes = DraftWrites::records);
// Appends `bytes` as they are to a draft opened for blocks. A write that
// fails, or that the system cuts short, is noted as a failed record is:
// the message would be incomplete.
void write_draft_block(std::string_view bytes);
// Closes the draft, commits it to the disk and puts it in the message file's
// place in one step (or, for standard output, copies it there), unless the
// run has failed or memory ran out meanwhile. A failure of the last writes,
// the commit or the move is noted; the draft is removed whenever it does not
// take the message file's place. True when the message is whole there.
bool close_message_file();
// Closes the draft where it stands and removes it: it would be incomplete.
// The message file's path keeps what stood there. Does nothing once the
// draft is closed.
void abandon_message_file();

// The next message file named is standard output: the draft is written to a
// temporary file of the current directory as usual and copied to standard
// output when whole.
void write_message_to_standard_output(bool on);
bool message_to_standard_output();

// The system's wait cursor, shown while the message is written.
void show_wait_cursor();
// Takes the wait cursor away again when it is still the current one.
void restore_cursor();

// The decimal text of a number, written into `out`.
std::string_view decimal_text(int32_t value, char (&out)[rt::kNumberTextCapacity]);

}  // namespace app
