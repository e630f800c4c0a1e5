// msgmake for the fault sweep: the program itself, started the same way,
// with one system call planned to fail and the calls of the run counted.
//
//   MSGMAKE_FAULT="write 3 5"   the 3rd write fails with errno 5
//   MSGMAKE_FAULT="write 3 kill" the process is killed (SIGKILL) at the 3rd write
//   MSGMAKE_CALL_COUNTS=FILE    at the end, FILE gets "name count" lines
//   MSGMAKE_CHANGE=FILE          FILE is cut to half its size just before its
//                                second read, as a program that ignores the
//                                sharing might do while the file is read
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "app/program_module.h"
#include "app/run_outcome.h"
#include "platform/process.h"
#include "platform/syscalls.h"
#include "services/startup.h"

namespace {

bool plan_fault(const char* text) {
  char name[32], action[16];
  unsigned nth = 0;
  if (std::sscanf(text, "%31s %u %15s", name, &nth, action) != 3) return false;
  const bool kill = std::strcmp(action, "kill") == 0;
  for (unsigned i = 0; i < plat::syscall_count; ++i) {
    const auto call = static_cast<plat::syscall_id>(i);
    if (std::strcmp(plat::syscall_name(call), name) != 0) continue;
    if (kill)
      plat::end_at_syscall(call, nth, SIGKILL);
    else
      plat::fail_syscall(call, nth, static_cast<std::errc>(std::atoi(action)));
    return true;
  }
  return false;
}

const char* changed_file = nullptr;
unsigned changed_file_reads = 0;
using read_call = ssize_t (*)(int, void*, size_t);
read_call system_read = nullptr;

// The read entry while a file is to change: counts the reads of that file.
ssize_t changing_read(int fd, void* buffer, size_t bytes) {
  char link[64], target[PATH_MAX] = {}, wanted[PATH_MAX];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  if (::readlink(link, target, sizeof target - 1) > 0 && ::realpath(changed_file, wanted) != nullptr &&
      std::strcmp(target, wanted) == 0 && ++changed_file_reads == 2) {
    struct stat status;
    if (::stat(wanted, &status) != 0 || ::truncate(wanted, status.st_size / 2) != 0) std::abort();
  }
  return system_read(fd, buffer, bytes);
}

[[noreturn]] void write_counts_and_exit(plat::UINT code) {
  if (const char* path = std::getenv("MSGMAKE_CALL_COUNTS")) {
    if (std::FILE* out = std::fopen(path, "w")) {
      for (unsigned i = 0; i < plat::syscall_count; ++i) {
        const auto call = static_cast<plat::syscall_id>(i);
        std::fprintf(out, "%s %llu\n", plat::syscall_name(call),
                     static_cast<unsigned long long>(plat::syscall_calls(call)));
      }
      std::fclose(out);
    }
  }
  std::fflush(nullptr);
  std::_Exit(static_cast<int>(code));
}

}  // namespace

int main() {
  app::end_runs_out_of_memory_cleanly();
  if (const char* fault = std::getenv("MSGMAKE_FAULT"); fault != nullptr && !plan_fault(fault)) {
    std::fprintf(stderr, "msgmake_fault_run: cannot plan '%s'\n", fault);
    return 2;
  }
  if ((changed_file = std::getenv("MSGMAKE_CHANGE")) != nullptr)
    system_read = reinterpret_cast<read_call>(
        plat::replace_syscall(plat::syscall_id::read, reinterpret_cast<void*>(&changing_read)));
  plat::set_exit_process_hook(&write_counts_and_exit);
  svc::process_entry(app::program_module(), &app::first_procedure);
}
