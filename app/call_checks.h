// The checks a call of the message procedure must pass before its message
// is begun. When one fails the run is refused with its own exit code and
// line, nothing is written, and the message file's path keeps what stood
// there.
#pragma once

#include "mime/message.h"

namespace app {

struct MessageArguments;

// The checks of the arguments, in this order: a blank message file name,
// which no file can be opened by (73); a SOURCE_DATE_EPOCH that names no
// time (64); an argument that its field or line would cut (65). True when
// the call may go on; otherwise the refusal is noted in the run's outcome.
// A call text that leaves out trailing arguments is no fault: they arrive
// empty.
bool call_may_run(const MessageArguments& args);

// The checks of the files, in one walk of `message`, the call's draft with
// every file it names (call_message.h). In this order: a message file that
// is also a file to read (64); a draft that could be larger than a message
// can be (65); a path that does not fit (path_limits.h). True when the call
// may go on; otherwise the refusal is noted in the run's outcome.
bool call_files_fit(const MessageArguments& args, const mime::Message& message);

}  // namespace app
