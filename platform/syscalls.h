// Every call the platform layer makes to the operating system goes through one
// table. Tests replace entries to reach error paths: make the Nth open, read,
// write, rename or mkdir fail with a chosen error, and see that error arrive in
// the callers as a last error or a runtime error code.
#pragma once

#include <cstdint>
#include <system_error>

namespace plat {

// ORDER: the entries in platform/posix/syscalls.inc and the names in
// platform/syscalls.cpp.
enum class syscall_id : uint8_t {
  open,
  close,
  read,
  write,
  lseek,
  ftruncate,
  fsync,
  fstat,
  stat,
  lstat,
  rename,
  renameat,
  unlink,
  mkdir,
  rmdir,
  fcntl,
  futimens,
  opendir,
  readdir,
  closedir,
  getcwd,
  chdir,
  mmap,
  munmap,
  madvise,
  mprotect,
  malloc,
  readlink,
  process_vm_readv,
  realpath,
  fchmod,
  fchown,
  getrandom,
  access,
  count
};
constexpr unsigned syscall_count = static_cast<unsigned>(syscall_id::count);

// The system's name of the call ("open", "rename", ...).
const char* syscall_name(syscall_id call);

// From the next call of `call` on, counting from 1, makes the `nth` one fail
// with `error` (and `times` - 1 more after it, all of them when times is 0)
// without reaching the system.
void fail_syscall(syscall_id call, unsigned nth, std::errc error, unsigned times = 1);

// Makes the `nth` call of `call` from the next one on end the process with
// `signal_number` instead of reaching the system, as if the process had been
// sent that signal from outside at that very point (SIGKILL: nothing more of
// it runs). For tests of runs cut short anywhere.
void end_at_syscall(syscall_id call, unsigned nth, int signal_number);

// Puts `replacement` (a function of the system call's own type) in the table
// and returns the entry it replaces; null puts the system's own back.
void* replace_syscall(syscall_id call, void* replacement);

// How many times `call` was made since the last reset, failed ones included.
uint64_t syscall_calls(syscall_id call);

// Puts every entry back, forgets planned failures and zeroes the counts.
void reset_syscalls();

// Restores the whole table when it goes out of scope.
class syscall_guard {
 public:
  syscall_guard() = default;
  syscall_guard(const syscall_guard&) = delete;
  syscall_guard& operator=(const syscall_guard&) = delete;
  ~syscall_guard() { reset_syscalls(); }
};

}  // namespace plat
