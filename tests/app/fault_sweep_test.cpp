// The fault sweep: every file-system call of a run is made to fail in turn,
// once with EIO and once with ENOSPC (and EINTR where the call can be
// interrupted), and every run must end by the one rule: either exit 0 with
// exactly the message of the fault-free run and nothing left behind, or a
// non-zero exit with one line on standard error, no draft and nothing left
// in the work folder. Never a crash or a hang.
#include <cerrno>
#include <map>
#include <sstream>

#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

// The calls that touch the file system (the memory calls are the heap's).
const char* const kSweptCalls[] = {"open",     "close",   "read",    "write",    "lseek",  "ftruncate", "fsync",
                                   "fstat",    "stat",    "lstat",   "rename",   "renameat", "unlink",  "mkdir",
                                   "rmdir",    "fcntl",   "futimens", "opendir", "readdir", "closedir", "getcwd",
                                   "chdir",    "readlink"};
// Calls the system may interrupt; the platform retries them.
const char* const kInterruptible[] = {"open", "read", "write"};

struct Scenario {
  std::string name;
  std::map<std::string, std::string> files;  // inputs, by name
  std::string argument_text;
  std::string profile;  // WIN.INI text
};

using Outcome = RunResult;

// Runs the fault runner in `folder`; `fault` is "" or "call n errno".
Outcome run(const fs::path& folder, const Scenario& s, const std::string& fault, const fs::path& counts = {}) {
  return run_fault_runner(folder, s.argument_text, fault, counts, s.profile);
}

bool nothing_left(const fs::path& work) { return !fs::exists(work) || folder_is_empty(work); }

// A temporary draft of the message left in the folder.
bool draft_left(const fs::path& folder) {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().rfind(".m.eml.msgmake-", 0) == 0) return true;
  return false;
}

// The rule for one run; empty when it holds, else what broke it.
std::string judge(const Outcome& o, const fs::path& folder, const std::string& reference) {
  const fs::path draft = folder / "m.eml";
  if (o.exit_code >= 128) return "crashed or hung (" + std::to_string(o.exit_code) + ")";
  if (!nothing_left(folder / "WRK")) return "left a work copy, exit " + std::to_string(o.exit_code);
  if (draft_left(folder)) return "left a temporary draft, exit " + std::to_string(o.exit_code);
  if (o.exit_code == 0) {
    if (!o.err.empty()) return "exit 0 with text on standard error: " + o.err;
    if (read_bytes(draft) != reference) return "exit 0 with a message unlike the fault-free one";
    return "";
  }
  if (fs::exists(draft)) return "exit " + std::to_string(o.exit_code) + " left a draft";
  if (o.err.rfind("msgmake: ", 0) != 0 || o.err.find('\n') != o.err.size() - 1)
    return "exit " + std::to_string(o.exit_code) + " without its one line: " + o.err;
  return "";
}

void clean(const fs::path& folder) {
  std::error_code ignored;
  fs::remove(folder / "m.eml", ignored);
  fs::remove_all(folder / "WRK", ignored);
  for (const char* log : {"ASCII.LOG", "DOS.LOG", "B5LOG.TXT"}) fs::remove(folder / log, ignored);
}

// Sweeps every failure point of the scenario; reports the points per run and
// the outcomes, and fails with every run that broke the rule.
void sweep(const Scenario& s) {
  TempFolder dir;
  for (const auto& [name, bytes] : s.files) {
    fs::create_directories((dir / name).parent_path());
    write_bytes(dir / name, bytes);
  }
  const Outcome clean_run = run(dir.path(), s, "", dir / ".counts");
  ASSERT_EQ(clean_run.exit_code, 0) << clean_run.err;
  const std::string reference = read_bytes(dir / "m.eml");
  const auto counts = read_call_counts(dir / ".counts");
  fs::remove(dir / ".counts");
  clean(dir.path());

  uint64_t points = 0;
  std::map<std::string, int> outcomes;
  std::vector<std::string> broken;
  for (const char* call : kSweptCalls) {
    const uint64_t calls = counts.count(call) ? counts.at(call) : 0;
    points += calls;
    std::vector<int> errors = {EIO, ENOSPC};
    for (const char* c : kInterruptible)
      if (std::string(c) == call) errors.push_back(EINTR);
    for (uint64_t n = 1; n <= calls; ++n) {
      for (const int error : errors) {
        const std::string fault = std::string(call) + " " + std::to_string(n) + " " + std::to_string(error);
        const Outcome o = run(dir.path(), s, fault);
        const std::string verdict = judge(o, dir.path(), reference);
        ++outcomes[verdict.empty() ? (o.exit_code == 0 ? "exit 0, same message" : "failed cleanly, exit " +
                                                                                       std::to_string(o.exit_code))
                                   : verdict.substr(0, verdict.find(':'))];
        if (!verdict.empty()) broken.push_back(fault + ": " + verdict);
        clean(dir.path());
      }
    }
  }
  std::cout << s.name << ": " << points << " failure points\n";
  for (const auto& [what, n] : outcomes) std::cout << "  " << n << "  " << what << "\n";
  std::string list;
  for (const std::string& b : broken) list += "  " + b + "\n";
  EXPECT_TRUE(broken.empty()) << broken.size() << " runs broke the rule:\n" << list;
}

Scenario minimal() { return {"minimal", {}, argument_text(Call{}), ""}; }

Scenario example() {
  Scenario s{"example", {}, "", ""};
  const fs::path examples = fs::path(MSGMAKE_SOURCE_DIR) / "examples";
  for (const char* name : {"chime.wav", "logo.gif", "notes.txt", "sales.csv"})
    s.files[name] = read_bytes(examples / name);
  Lines body;
  std::istringstream lines(read_bytes(examples / "body.txt"));
  for (std::string line; std::getline(lines, line);) body.push_back(line);
  Call call;
  call.to = "sales@example.com,desk@example.com";
  call.subject = "Monthly sales";
  call.sound_file = "chime.wav";
  call.sound_loop = "Once";
  call.priority = "High";
  s.argument_text = argument_text(call, body, {"sales.csv", "notes.txt"});
  return s;
}

Scenario rich() {
  Scenario s{"attachments, pictures and a sound", {}, "", ""};
  s.files = {{"a.bin", random_bytes(70000, 1)}, {"sub/b.pdf", random_bytes(300, 2)}, {"c.txt", "c"},
             {"p.gif", random_bytes(500, 3)},   {"q.png", random_bytes(58, 4)},        {"s.wav", random_bytes(999, 5)}};
  Call call;
  call.sound_file = "s.wav";
  call.sound_loop = "Twice";
  s.argument_text =
      argument_text(call, {"<img src=3D\"p.gif\">", "text", "<img src=3D\"q.png\">"}, {"a.bin", "sub/b.pdf", "c.txt"});
  return s;
}

// The byte driver's trace with its details: a log line per operation, with
// the structure dump. (The text driver's trace is the same code with a line
// per message line, many more failure points and nothing new to find.)
Scenario traced() {
  Scenario s{"traced", {{"t.txt", "ab"}}, "", ""};
  s.argument_text = argument_text(Call{}, {}, {"t.txt"});
  s.profile = "[BWDOS]\nProfile=1\nDetails=1\n";
  return s;
}

}  // namespace

TEST(fault_sweep_test, minimal_message) { sweep(minimal()); }
TEST(fault_sweep_test, bundled_example) { sweep(example()); }
TEST(fault_sweep_test, attachments_pictures_and_a_sound) { sweep(rich()); }
TEST(fault_sweep_test, tracing_on) { sweep(traced()); }
