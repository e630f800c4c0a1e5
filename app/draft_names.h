// The temporary file that a draft is written to, and the ones that killed
// runs left behind.
//
// A draft is written to ".NAME.msgmake-PID-RANDOM.tmp" in the message file's
// folder, NAME being the message file's own name (its first 200 bytes), PID
// the writing process and RANDOM eight letters and digits drawn when the
// file is made, so that nobody can take the name beforehand; it takes the
// message file's place only when it is whole. The process id in the name
// tells the draft of a running process from one whose process has ended:
// only the latter is ever removed (drafts of earlier versions, without the
// random part, included).
#pragma once

#include <cstdint>
#include <string_view>

#include "drivers/full_path.h"

namespace app {

// Room for a message file's full path and what the temporary name adds.
inline constexpr uint32_t kDraftPathSize = drv::kFullPathSize + 48;

// The pattern of the temporary draft of the message file `full` (a full
// path) for the process `process_id`, as a C string in `out`: its run of
// 'X's stands for the random part (see plat::CreateUniqueFileA).
void temporary_draft_pattern(std::string_view full, uint32_t process_id, char (&out)[kDraftPathSize]);

// Removes the temporary drafts of the message file `full` whose processes
// have ended (a file that another process holds open stays).
void remove_abandoned_drafts(std::string_view full);

}  // namespace app
