// The files in use on each thread, the thread's own copies of files declared
// THREAD, and the closing of every file still in use when the process ends.
#pragma once

#include <cstdint>

#include "drivers/file_declaration.h"

namespace drv {

// Enters a file (again) as the most recent in use on this thread; the first
// entry also installs the final file clean-up of the process.
void enter_file_in_use(FileDeclaration* file);
void leave_file_in_use(FileDeclaration* file);
// Number of files in use on this thread.
uint32_t files_in_use();

// Closes every file in use on this thread, most recent first: an active
// transaction is rolled back, an open file closed, a closed instance dropped.
// The error state is left as it was.
void close_all_files();

// The number of the calling thread as traces print it: its runtime thread
// record plus 1, so 1 for the main thread.
uint32_t current_thread_number();

// The declaration that the calling thread works on: the declared one, except
// for a THREAD file on any thread but the main one, which gets its own copy
// (record buffer, key and memo tables included, no instance) on first use.
// Null when the copy cannot be made.
FileDeclaration* thread_copy(FileDeclaration* file);

namespace detail {
// The calling thread's number once known (0 before); see current_thread_number.
inline thread_local uint32_t t_thread_number = 0;
}  // namespace detail

// True when the calling thread works on the declared file itself: any file
// but a THREAD file, which the main thread alone works on. Asked once for
// every record read or written, so it is one product, tested once, rather
// than two tests with a branch between them: nonzero only for a THREAD file
// on a thread other than the main one.
inline bool works_on_declared(const FileDeclaration* file) {
  return uint64_t(file->attributes & kDeclThread) * (detail::t_thread_number ^ 1u) == 0;
}

inline FileDeclaration* thread_declaration(FileDeclaration* file) {
  return works_on_declared(file) ? file : thread_copy(file);
}

}  // namespace drv
