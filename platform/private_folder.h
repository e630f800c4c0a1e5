// A folder in which one process at a time keeps short-lived files of its own.
//
// The folder is made for the user alone and refused when it is not the user's
// own or when others may write to it. A process holds it through a lock file
// in it, created for the user alone and never opened through a link; the
// holder removes the lock file when it lets go, so a folder that nobody holds
// is left as it was made. While it holds the folder, a process copies files
// into it for the user alone and notes in the lock file the copy it is
// making, so that the next holder removes the copy of a process that was
// killed. Nothing else in the folder is ever removed: an entry is removed only
// when it is the very file this service made.
//
// One folder is held per process. On Windows the lock file is deleted when
// its handle closes, however the process ends; a killed process's copy stays
// there, for its note goes with the lock file.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace plat {

// Why a folder is not fit for private files.
enum class folder_fault : uint8_t {
  none,
  not_a_folder,    // a file, or a link (even one to a folder)
  foreign_owner,   // it belongs to another user
  open_to_others,  // users other than its owner may write in it
};

// Creates `folder` (one level, for the user alone) when nothing stands at its
// name, then says in *fault whether it is fit. FALSE with the last error when
// it can neither be made nor looked at.
BOOL make_private_folder(LPCSTR folder, folder_fault* fault);

enum class hold_result : uint8_t { held, busy, failed };

// How long to wait for another process that holds the folder.
struct hold_wait {
  DWORD give_up_ms = 0;     // the wait ends in vain after this long
  DWORD tell_after_ms = 0;  // `tell`, when set, is called once if the wait lasts this long
  void (*tell)(void* context) = nullptr;
  void* context = nullptr;
};

// Holds the folder of `lock_file` (a name in that folder) for this process:
// opens or creates the lock file and locks it, waiting while another process
// holds it. held; busy when the wait ended in vain; failed, with the last
// error, when the lock file cannot be opened or locked (a folder or a link at
// its name, a file that is not the user's to write). The lock file is marked
// as a file of the run, removed however the process ends (unfinished_files.h).
hold_result hold_folder(LPCSTR lock_file, const hold_wait& wait);

// Removes the copy that the previous holder noted and did not remove, when it
// is still the file that holder made; the note is then forgotten. A note of a
// lock file that others could have written is not followed.
void remove_abandoned_copy();

// Removes the lock file and lets the folder go.
void release_folder();

enum class copy_result : uint8_t { copied, in_place, source_failed, target_failed };

// Copies the regular file `source` to `target` in the held folder, readable
// and writable by the user alone (never read-only), after removing whatever
// stands at `target` (a file, a link, a FIFO, an empty folder). in_place when
// `source` is that very file: nothing is copied or removed. source_failed or
// target_failed, with the last error, when `source` cannot be read or
// `target` made or written; a copy begun is removed again. The copy is the
// run's unfinished work copy (unfinished_files.h) until remove_copy.
copy_result copy_into_folder(LPCSTR source, LPCSTR target);

// Removes `target` when it is the copy that copy_into_folder made last; any
// other entry stays. FALSE with the last error when the copy does not go.
BOOL remove_copy(LPCSTR target);

}  // namespace plat
