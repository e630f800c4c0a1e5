// The table of system calls and the planned failures that tests inject.
#include "platform/syscalls.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#ifdef _WIN32
#include "platform/win32/system.h"
#else
#include "platform/posix/system.h"
#endif

namespace plat {
namespace {

// A failure planned for one call: calls numbered [first, first + times) fail
// (times 0: every call from first on).
struct fault_plan {
  std::atomic<uint64_t> calls{0};
  std::atomic<uint64_t> first{0};  // 0: no failure planned
  std::atomic<uint64_t> times{0};
  std::atomic<int> error{0};
  std::atomic<int> signal{0};  // not 0: the planned call ends the process instead
};

std::array<fault_plan, syscall_count> plans;

// ORDER: syscall_id
constexpr std::array<const char*, syscall_count> names = {
    "open",     "close",   "read",     "write",    "lseek",   "ftruncate", "fsync",
    "fstat",    "stat",    "lstat",    "rename",   "renameat", "unlink",   "mkdir",
    "rmdir",    "fcntl",   "futimens", "opendir",  "readdir", "closedir",  "getcwd",
    "chdir",    "mmap",    "munmap",   "madvise",  "mprotect", "malloc",   "readlink",
    "process_vm_readv", "realpath", "fchmod", "fchown", "getrandom", "access"};
static_assert(names.size() == syscall_count);

}  // namespace

namespace detail {

// Counts the call and reports whether it must fail; sets errno when it must.
bool injected_failure(syscall_id call) {
  fault_plan& plan = plans[static_cast<unsigned>(call)];
  uint64_t number = plan.calls.fetch_add(1, std::memory_order_relaxed) + 1;
  uint64_t first = plan.first.load(std::memory_order_relaxed);
  if (first == 0 || number < first) return false;
  uint64_t times = plan.times.load(std::memory_order_relaxed);
  if (times != 0 && number >= first + times) return false;
  if (const int signal = plan.signal.load(std::memory_order_relaxed); signal != 0) std::raise(signal);
  errno = plan.error.load(std::memory_order_relaxed);
  return true;
}

}  // namespace detail

const char* syscall_name(syscall_id call) {
  unsigned index = static_cast<unsigned>(call);
  return index < syscall_count ? names[index] : "?";
}

void fail_syscall(syscall_id call, unsigned nth, std::errc error, unsigned times) {
  fault_plan& plan = plans[static_cast<unsigned>(call)];
  plan.signal.store(0);
  plan.error.store(static_cast<int>(error));
  plan.times.store(times);
  plan.first.store(plan.calls.load() + (nth == 0 ? 1 : nth));
}

void end_at_syscall(syscall_id call, unsigned nth, int signal_number) {
  fault_plan& plan = plans[static_cast<unsigned>(call)];
  plan.signal.store(signal_number);
  plan.error.store(0);
  plan.times.store(1);
  plan.first.store(plan.calls.load() + (nth == 0 ? 1 : nth));
}

uint64_t syscall_calls(syscall_id call) {
  return plans[static_cast<unsigned>(call)].calls.load();
}

}  // namespace plat

#ifdef _WIN32
#include "platform/win32/syscalls.inc"
#else
#include "platform/posix/syscalls.inc"
#endif
