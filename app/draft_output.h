// A draft built as a tree (mime/message.h) written to the message file by
// the one writer, through the message file's records.
#pragma once

#include <string_view>

#include "app/message_output.h"
#include "mime/message.h"

namespace app {

// The boundaries of the program's drafts (message_structure.h).
const mime::Boundaries& draft_boundaries();

// Writes the draft to `message_file` (standard output when
// `to_standard_output`). A part whose file is gone, cannot be read or
// changed since it was looked at fails the run (66 or 74), and so does a
// body that cannot be read again; the message file then keeps what stood
// there. `writes` says how its lines reach the file (message_output.h). The
// outcome is in run_outcome().
void write_draft(const mime::Message& message, std::string_view message_file, bool to_standard_output,
                 DraftWrites writes);

// What write_draft would refuse of the message file before it writes a
// byte, checked without creating, writing or removing anything: what stands
// at its path must be something the draft may replace, and its folder one
// that the temporary draft could be made in (73). False, with the outcome in
// run_outcome(), when it is not.
bool check_message_file(std::string_view message_file, bool to_standard_output);

// Writes the draft to the message file opened by open_message_file
// (message_output.h) with the same `writes`. True when the whole of it
// reached the file; a part whose file failed is noted in run_outcome().
bool write_to_message_file(const mime::Message& message, DraftWrites writes = DraftWrites::records);

}  // namespace app
