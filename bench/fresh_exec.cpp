// The starter of the paired benchmarks: every tool measured, msgmake and its
// yardsticks alike, is started the same way, by this small static program
// that removes the output of the previous run and then becomes the tool.
//
//   fresh_exec REMOVE STDOUT TOOL ARGS...
//       removes REMOVE ("-" for nothing), sends standard output to STDOUT
//       (made anew) and execs TOOL: under `perf stat` the whole process,
//       this start included, is one run of the tool.
//   fresh_exec --peak REMOVE STDOUT TOOL ARGS...
//       the same in a child; prints the child's peak resident set in KiB and
//       exits with its status, for one untimed run beside the timed ones.
//
// A benchmark tool, not part of msgmake: it uses the system directly.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

[[noreturn]] void become(char** argv) {
  if (std::strcmp(argv[0], "-") != 0 && unlink(argv[0]) != 0 && errno != ENOENT) {
    std::perror(argv[0]);
    _exit(126);
  }
  const int out = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0 || dup2(out, 1) < 0) {
    std::perror(argv[1]);
    _exit(126);
  }
  close(out);
  execvp(argv[2], argv + 2);
  std::perror(argv[2]);
  _exit(127);
}

}  // namespace

int main(int argc, char** argv) {
  const bool peak = argc > 1 && std::strcmp(argv[1], "--peak") == 0;
  if (argc < (peak ? 5 : 4)) {
    std::fprintf(stderr, "usage: fresh_exec [--peak] REMOVE STDOUT TOOL ARGS...\n");
    return 64;
  }
  if (!peak) become(argv + 1);
  const pid_t child = fork();
  if (child == 0) become(argv + 2);
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) < 0) return 126;
  std::printf("%ld\n", usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
