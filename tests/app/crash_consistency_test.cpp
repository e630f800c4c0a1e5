// Runs killed at many points: the program is ended with SIGKILL at a chosen
// system call of a run (the fault runner's plan, so every point is reached
// the same way each time). Whatever the point, the message file holds either
// the message it held before or the whole new message, never a part; and the
// next run leaves nothing of the killed one behind.
#include <csignal>

#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

constexpr char kOldMessage[] = "the message of an earlier run";

// The calls at which a run is killed, and every how many of each: the calls
// that write or name files at each of their points, the many small ones
// (locks, looks at files) at some.
struct KillPoints {
  const char* call;
  uint64_t every;
};
constexpr KillPoints kKillPoints[] = {
    {"write", 1}, {"fsync", 1},    {"renameat", 1}, {"unlink", 1}, {"mkdir", 1},  {"futimens", 1},
    {"lstat", 2}, {"open", 3},     {"close", 3},    {"read", 6},   {"lseek", 8},  {"stat", 8},
    {"fstat", 12}, {"readdir", 11}, {"fcntl", 24},
};

// Any entry of the folder left by a killed run: a temporary draft.
std::string temporary_drafts(const fs::path& folder) {
  std::string found;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().rfind(".m.eml.msgmake-", 0) == 0) found += entry.path().filename().string() + " ";
  return found;
}

}  // namespace

TEST(crash_consistency_test, a_run_killed_anywhere_leaves_the_old_message_or_the_whole_new_one) {
  TempFolder dir;
  write_bytes(dir / "a.bin", random_bytes(70000, 1));
  write_bytes(dir / "c.txt", "c");
  write_bytes(dir / "p.gif", random_bytes(500, 2));
  write_bytes(dir / "s.wav", random_bytes(999, 3));
  Call call;
  call.sound_file = "s.wav";
  call.sound_loop = "Once";
  const std::string text = argument_text(call, {"<img src=3D\"p.gif\">", "text"}, {"a.bin", "c.txt"});

  write_bytes(dir / "m.eml", kOldMessage);
  const RunResult first = run_fault_runner(dir.path(), text, "", dir / ".counts");
  ASSERT_EQ(first.exit_code, 0) << first.err;
  const std::string whole = read_bytes(dir / "m.eml");
  const auto counts = read_call_counts(dir / ".counts");
  fs::remove(dir / ".counts");

  int killed = 0, kept_old = 0, took_new = 0;
  for (const KillPoints& points : kKillPoints) {
    const uint64_t calls = counts.count(points.call) ? counts.at(points.call) : 0;
    for (uint64_t n = 1; n <= calls; n += points.every) {
      const std::string fault = std::string(points.call) + " " + std::to_string(n) + " kill";
      SCOPED_TRACE(fault);
      write_bytes(dir / "m.eml", kOldMessage);
      const RunResult run = run_fault_runner(dir.path(), text, fault);
      ASSERT_EQ(run.exit_code, 128 + SIGKILL) << run.err;
      ++killed;
      const std::string left = read_bytes(dir / "m.eml");
      EXPECT_TRUE(left == kOldMessage || left == whole) << "a part of a message: " << left.size() << " bytes";
      ++(left == whole ? took_new : kept_old);

      const RunResult next = run_fault_runner(dir.path(), text);
      ASSERT_EQ(next.exit_code, 0) << next.err;
      EXPECT_EQ(read_bytes(dir / "m.eml"), whole);
      EXPECT_EQ(temporary_drafts(dir.path()), "") << "left by the killed run";
      EXPECT_TRUE(folder_is_empty(dir / "WRK"));
    }
  }
  std::cout << killed << " runs killed: " << kept_old << " left the old message, " << took_new
            << " the new one\n";
  EXPECT_GT(kept_old, 0);
  EXPECT_GT(took_new, 0);
}
