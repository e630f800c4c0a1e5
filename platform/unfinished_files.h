// Files that a run must not leave behind half made: the draft being written
// and the work copy being encoded (and the lock file of the folder the run
// holds). A file is marked while it is unfinished
// and unmarked once it is complete or gone. If the process ends before that,
// by a termination signal or through ExitProcess, the marked files are
// removed, so a cut-short run never leaves a partial draft that still looks
// like a message.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace plat {

enum class unfinished_file : uint8_t { draft, work_copy, folder_lock, count };

// Marks `name` (a path as the file calls take it) as unfinished in `slot`,
// replacing what the slot held; a name too long to keep is not marked.
void mark_unfinished(unfinished_file slot, LPCSTR name);
void mark_finished(unfinished_file slot);

// Removes every marked file and unmarks it. Safe inside a signal handler.
void remove_unfinished_files();

// From here on SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM,
// SIGVTALRM, SIGXCPU and SIGPIPE remove the unfinished files and end the
// process with 128 + the signal number, and a write past the file-size
// limit fails with "file too large" instead of killing the process. On
// Windows, Ctrl+C and Ctrl+Break do the same with 128 + 2, and the closing
// of the console or the end of the session with 128 + 1.
void end_runs_cleanly_on_signals();

}  // namespace plat
