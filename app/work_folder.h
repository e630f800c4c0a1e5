// The work directory: the folder WRK of the current directory, into which
// attachments and pictures are copied before they are encoded.
//
// A run makes it (for the user alone) when it is missing, refuses it when it
// is not the user's own folder or others may write to it, and holds it for
// the rest of the run, so that runs sharing it never see each other's
// copies. Holding it also removes the copy that a killed run left. When the
// run ends, however it ends, the folder is left as it was made, with nothing
// of the run in it.
#pragma once

#include <cstdint>

namespace app {

// The file in the work directory through which a run holds it.
inline constexpr char kWorkDirectoryHoldFile[] = ".msgmake.lck";
// How long a run waits for another that holds the work directory, and when
// it says on standard error that it waits.
inline constexpr uint32_t kHoldWaitMs = 30'000;
inline constexpr uint32_t kHoldNoticeMs = 1'000;

// WorkDirectory := long form of the short form of the current directory
// followed by "WRK" between two separators (those of the current
// directory's path), then the folder is made, checked and held. False, with
// the failure noted in run_outcome(), when the current directory cannot be
// had or is too long for the work directory's path (73), when the folder
// cannot be made or is not fit (73), or when it cannot be held (75).
bool PrepareWorkDirectory();

// Holds the work directory for the rest of the run, waiting for a run that
// holds it for at most `wait_ms` and saying so on standard error after
// kHoldNoticeMs. False, with the failure noted, when it cannot be held.
bool HoldWorkDirectory(uint32_t wait_ms = kHoldWaitMs);

}  // namespace app
