// Runs that cannot end well, seen from the outside: a draft that cannot be
// written in full, a command line past the limit, a run ended by a signal.
// None may report success, and none may leave a draft or a work copy.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

// Exactly one line, naming the program first, and holding `words`.
void expect_error_line(const RunResult& run, const std::string& words) {
  EXPECT_EQ(run.err.rfind("msgmake: ", 0), 0u) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
}

// Starts msgmake in `folder` on `argument_text` without waiting for it.
pid_t start_msgmake(const fs::path& folder, const std::string& argument_text) {
  write_bytes(folder / ".wininit", "");
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    setenv("WININI", (folder / ".wininit").c_str(), 1);
    execl(MSGMAKE_BINARY, MSGMAKE_BINARY, argument_text.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

// The exit code as a shell reports it: 128 + n for a process ended by signal n.
int exit_code_of(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

}  // namespace

// The file-size limit stands for a full disk: the copies fit, the message does not.
TEST(run_failure_test, draft_past_the_file_size_limit_exits_74_and_is_removed) {
  TempFolder dir;
  Lines files;
  for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
    write_bytes(dir / name, random_bytes(6000, name[0]));
    files.push_back(name);
  }
  const RunResult run = run_msgmake_args(dir.path(), {argument_text(Call{}, {}, files)}, {}, "", "prlimit --fsize=16384");
  EXPECT_EQ(run.exit_code, 74);
  expect_error_line(run, "cannot write message 'm.eml': The file size exceeds the limit");
  EXPECT_FALSE(fs::exists(dir / "m.eml"));
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
}

// A real full file system: a small tmpfs of a mount namespace of the run's
// own. The draft fills it while the attachment is encoded, or only with its
// last gathered bytes at the commit before the close. Where no namespace can
// be had the test cannot say anything.
TEST(run_failure_test, full_file_system_exits_74_and_leaves_nothing) {
  struct case_t {
    const char* name;
    size_t attachment;
    const char* file_system_size;
  };
  const case_t cases[] = {{"full while encoding", 200000, "64k"}, {"full at the commit", 6000, "4k"}};
  if (std::system("unshare -rm true 2>/dev/null") != 0) GTEST_SKIP() << "no mount namespace here";
  for (const case_t& c : cases) {
    TempFolder dir;
    write_bytes(dir / "big.bin", random_bytes(c.attachment, 3));
    fs::create_directory(dir / "full");
    Call call;
    call.message_file = "full/m.eml";
    const std::string script = std::string("mount -t tmpfs -o size=") + c.file_system_size +
                               " tmpfs full && \"$0\" \"$1\"; code=$?; ls -A full; exit $code";
    const RunResult run = run_msgmake_args(dir.path(), {argument_text(call, {}, {"big.bin"})}, {}, "",
                                           "unshare -rm sh -c " + shell_quote(script));
    EXPECT_EQ(run.exit_code, 74) << c.name;
    expect_error_line(run, "cannot write message 'full/m.eml': There is not enough space on the disk");
    EXPECT_EQ(run.out, "") << c.name << ": left in the full folder";
    EXPECT_TRUE(folder_is_empty(dir / "WRK")) << c.name;
  }
}

// The options' draft goes to its file in large blocks of its own: a block
// that the file-size limit or a full file system cuts short fails the run
// as a failing record does, at the first block or at the last.
TEST(run_failure_test, options_draft_that_cannot_be_written_whole_exits_74_and_leaves_nothing) {
  struct case_t {
    const char* name;
    size_t attachment;
    const char* launcher;
    const char* says;
  };
  const char* const full = "There is not enough space on the disk";
  const char* const limit = "The file size exceeds the limit";
  const std::string mount = "unshare -rm sh -c " +
                            shell_quote("mount -t tmpfs -o size=$0 tmpfs full && exec \"$@\"");
  const bool namespaces = std::system("unshare -rm true 2>/dev/null") == 0;
  const case_t cases[] = {{"past the size limit in the first block", 400000, "prlimit --fsize=65536", limit},
                          {"past the size limit in the last block", 6000, "prlimit --fsize=4096", limit},
                          {"full while encoding", 400000, "64k", full},
                          {"full at the last block", 6000, "4k", full}};
  for (const case_t& c : cases) {
    const bool tmpfs = std::string(c.launcher).find("prlimit") == std::string::npos;
    if (tmpfs && !namespaces) continue;  // no mount namespace here: nothing to say
    TempFolder dir;
    write_bytes(dir / "body.txt", "text\n");
    write_bytes(dir / "big.bin", random_bytes(c.attachment, 5));
    fs::create_directory(dir / "full");
    const RunResult run =
        run_msgmake_args(dir.path(), {"-o", "full/m.eml", "--text", "body.txt", "-t", "a@example.com", "big.bin"}, {},
                         "", tmpfs ? mount + " " + c.launcher : std::string(c.launcher));
    EXPECT_EQ(run.exit_code, 74) << c.name;
    expect_error_line(run, std::string("cannot write message 'full/m.eml': ") + c.says);
    EXPECT_TRUE(folder_is_empty(dir / "full")) << c.name << ": left in the folder";
  }
}

// The draft's writes are gathered: the last system write of the run is the
// draft's at its commit before the close, the one before it goes out while the
// attachment is encoded. Either failing, as a full disk or an I/O error, must
// fail the run as a failing direct write would.
TEST(run_failure_test, a_failed_gathered_write_of_the_draft_exits_74_and_leaves_nothing) {
  TempFolder dir;
  write_bytes(dir / "big.bin", random_bytes(200000, 4));
  const Lines args = {argument_text(Call{}, {}, {"big.bin"})};
  auto fault_run = [&](const std::string& setting) {
    const std::string runner = "sh -c " + shell_quote("exec " + shell_quote(MSGMAKE_FAULT_RUN) + " \"$1\"");
    return run_msgmake_args(dir.path(), args, {}, "", "env " + setting + " " + runner);
  };
  const RunResult counted = fault_run("MSGMAKE_CALL_COUNTS=.counts");
  ASSERT_EQ(counted.exit_code, 0) << counted.err;
  const std::string counts = read_bytes(dir / ".counts");
  const uint64_t writes = std::stoull(counts.substr(counts.find("\nwrite ") + 7));
  struct case_t {
    const char* name;
    uint64_t nth;
    int error;
    const char* words;
  };
  const char* const full = "There is not enough space on the disk";
  const char* const broken = "The request could not be performed because of an I/O device error";
  const case_t cases[] = {{"full disk at the commit", writes, ENOSPC, full},
                          {"I/O error at the commit", writes, EIO, broken},
                          {"full disk while encoding", writes - 1, ENOSPC, full},
                          {"I/O error while encoding", writes - 1, EIO, broken}};
  for (const case_t& c : cases) {
    fs::remove(dir / "m.eml");
    const std::string fault = "write " + std::to_string(c.nth) + " " + std::to_string(c.error);
    const RunResult run = fault_run("MSGMAKE_FAULT=" + shell_quote(fault));
    EXPECT_EQ(run.exit_code, 74) << c.name;
    expect_error_line(run, std::string("cannot write message 'm.eml': ") + c.words);
    EXPECT_FALSE(fs::exists(dir / "m.eml")) << c.name;
    EXPECT_TRUE(folder_is_empty(dir / "WRK")) << c.name;
  }
}

// Files that would make the message larger than the 2 GiB a message can
// have are refused (65) before anything is copied or written.
TEST(run_failure_test, a_message_past_2_gib_is_refused_before_any_work) {
  TempFolder dir;
  {
    std::ofstream big(dir / "big.bin", std::ios::binary);
    big.seekp(int64_t{3} << 30);  // sparse: 3 GiB made at once
    big.put('\0');
  }
  write_bytes(dir / "m.eml", "the message of an earlier run");
  for (const Lines& args : {Lines{argument_text(Call{}, {}, {"big.bin"})}, Lines{"-o", "m.eml", "big.bin"}}) {
    const RunResult run = run_msgmake_args(dir.path(), args);
    EXPECT_EQ(run.exit_code, 65) << args[0];
    expect_error_line(run, "larger than 2 GiB");
    EXPECT_EQ(read_bytes(dir / "m.eml"), "the message of an earlier run");
    EXPECT_TRUE(folder_is_empty(dir / "WRK")) << "nothing copied";
  }
}

// A run that the system ended before the program began: it could not load
// the program (the kernel ends it with SIGSEGV) or the C library could not
// set itself up.
bool never_started(const RunResult& run) {
  return (run.exit_code == 128 + SIGSEGV && run.err.empty()) ||
         (run.exit_code == 127 && run.err.rfind("Fatal glibc error", 0) == 0);
}

// Memory that runs out anywhere in a run ends it with one line and exit 71,
// and the message file keeps what it held. The program's address space is
// limited ever more loosely, from less than it can start in, until runs
// succeed; a limit too tight to start the program at all ends it before it
// runs (the system kills it, 139) and is passed over.
TEST(run_failure_test, memory_that_runs_out_ends_the_run_with_71_and_no_draft) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory needs more address space than any limit here";
#endif
  TempFolder dir;
  for (const char* name : {"chime.wav", "logo.gif", "notes.txt", "sales.csv"})
    write_bytes(dir / name, read_bytes(fs::path(MSGMAKE_SOURCE_DIR) / "examples" / name));
  Call call;
  call.sound_file = "chime.wav";
  call.sound_loop = "Once";
  const Lines args = {argument_text(call, {"hi", "<img src=3D\"logo.gif\">"}, {"sales.csv", "notes.txt"})};
  ASSERT_EQ(run_msgmake_args(dir.path(), args).exit_code, 0);
  const std::string whole = read_bytes(dir / "m.eml");
  constexpr char kOld[] = "the message of an earlier run";
  int started = 0, out_of_memory = 0, written = 0;
  for (uint64_t kib = 2048; written < 3 && kib < 64 * 1024; kib += 16) {
    write_bytes(dir / "m.eml", kOld);
    const RunResult run = run_msgmake_args(dir.path(), args, {}, "", "prlimit --as=" + std::to_string(kib * 1024));
    SCOPED_TRACE(std::to_string(kib) + " KiB: exit " + std::to_string(run.exit_code) + ", " + run.err);
    if (started == 0 && never_started(run)) continue;
    ++started;
    if (run.exit_code == 0) {
      ++written;
      EXPECT_EQ(read_bytes(dir / "m.eml"), whole);
    } else {
      written = 0;
      ++out_of_memory;
      EXPECT_EQ(run.exit_code, 71);
      EXPECT_EQ(run.err, "msgmake: out of memory\n");
      EXPECT_EQ(read_bytes(dir / "m.eml"), kOld);
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
      EXPECT_EQ(entry.path().filename().string().rfind(".m.eml.msgmake-", 0), std::string::npos) << entry.path();
    EXPECT_TRUE(folder_is_empty(dir / "WRK"));
  }
  EXPECT_GT(out_of_memory, 0) << "no limit ran the program out of memory";
  EXPECT_EQ(written, 3);
}

// A file that another program changes while msgmake reads it (cut to half
// its size here, just before its second read) is no file to send: the run
// fails with 74 and says so, and the message file keeps what it held. So is
// the work copy of a text or a message, which is read once to choose its
// type and again to be written.
TEST(run_failure_test, a_file_that_changes_while_it_is_read_fails_the_run) {
  Call with_sound;
  with_sound.sound_file = "in.bin";
  with_sound.sound_loop = "Once";
  const struct {
    const char* name;
    std::string text;
    const char* says;
    const char* changed;
  } cases[] = {
      {"an attachment", argument_text(Call{}, {}, {"in.bin"}), "cannot read attachment 'in.bin'", "in.bin"},
      {"a picture", argument_text(Call{}, {"<img src=3D\"in.bin\">"}), "cannot read image 'in.bin'", "in.bin"},
      {"the sound", argument_text(with_sound), "cannot read sound file 'in.bin'", "in.bin"},
      {"a text's copy", argument_text(Call{}, {}, {"in.txt"}), "cannot read attachment 'in.txt'", "WRK/in.txt"},
      {"a message's copy", argument_text(Call{}, {}, {"in.eml"}), "cannot read attachment 'in.eml'", "WRK/in.eml"},
  };
  std::string text = "Subject: lines\n\n";
  while (text.size() < 300000) text += "a line of text\n";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    write_bytes(dir / "in.bin", random_bytes(300000, 9));
    write_bytes(dir / "in.txt", text);
    write_bytes(dir / "in.eml", text);
    write_bytes(dir / "m.eml", "the message of an earlier run");
    const RunResult run = run_fault_runner(dir.path(), c.text, "", {}, "", c.changed);
    EXPECT_EQ(run.exit_code, 74);
    expect_error_line(run, std::string(c.says) + ": it changed while being read");
    EXPECT_EQ(read_bytes(dir / "m.eml"), "the message of an earlier run");
    EXPECT_TRUE(folder_is_empty(dir / "WRK"));
  }
}

TEST(run_failure_test, command_line_past_10000_bytes_is_refused) {
  TempFolder dir;
  write_bytes(dir / "last.txt", "end");
  const std::string head = argument_text(Call{}, {"x"});
  // Body lines up to exactly 10,000 bytes with the last attachment, then one byte more.
  const std::string tail = std::string(1, kFileDelimiter) + "last.txt" + kFileDelimiter;
  const std::string filler(10000 - head.size() - tail.size() - 2, 'y');
  const std::string exact = head + filler + kLineDelimiter + tail;
  ASSERT_EQ(exact.size(), 10000u - 1);
  const RunResult fits = run_msgmake(dir.path(), exact + " ");
  EXPECT_EQ(fits.exit_code, 0) << fits.err;
  EXPECT_NE(read_bytes(dir / "m.eml").find("filename=\"last.txt\""), std::string::npos);
  fs::remove_all(dir / "WRK");
  fs::remove(dir / "m.eml");
  const RunResult refused = run_msgmake(dir.path(), exact + "  ");
  EXPECT_EQ(refused.exit_code, 64);
  expect_error_line(refused, "10001 bytes; at most 10000");
  EXPECT_FALSE(fs::exists(dir / "m.eml"));
  EXPECT_FALSE(fs::exists(dir / "WRK")) << "nothing is made for a refused command line";
}

// The temporary draft of m.eml that the process `child` writes; empty while
// there is none.
fs::path temporary_draft(const fs::path& folder, pid_t child) {
  const std::string lead = ".m.eml.msgmake-" + std::to_string(child) + "-";
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().rfind(lead, 0) == 0) return entry.path();
  return {};
}

// Each signal that would end the process ends the run while it encodes a
// large file: the message file keeps what it held, and neither the
// temporary draft nor the work copy stays.
TEST(run_failure_test, ending_signals_leave_the_message_file_as_it_was_and_nothing_else) {
  for (const int signal_number :
       {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGXCPU, SIGPIPE}) {
    TempFolder dir;
    {
      std::ofstream big(dir / "big.bin", std::ios::binary);
      big.seekp(64 << 20);  // sparse: made at once, encoded for a good while
      big.put('\0');
    }
    write_bytes(dir / "m.eml", "the message of an earlier run");
    const pid_t child = start_msgmake(dir.path(), argument_text(Call{}, {}, {"big.bin"}));
    ASSERT_GT(child, 0);
    // Waits until the encoding is well under way: the draft has grown past
    // its headers (it is written in blocks as it goes).
    auto draft_size = [&dir, child] {
      std::error_code missing;
      const fs::path draft = temporary_draft(dir.path(), child);
      const uintmax_t size = draft.empty() ? 0 : fs::file_size(draft, missing);
      return missing ? 0 : size;
    };
    int status = 0;
    while (draft_size() < 64 * 1024) {
      ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "ended before the signal: " << exit_code_of(status);
      std::this_thread::yield();
    }
    kill(child, signal_number);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(exit_code_of(status), 128 + signal_number) << strsignal(signal_number);
    EXPECT_EQ(read_bytes(dir / "m.eml"), "the message of an earlier run") << strsignal(signal_number);
    EXPECT_EQ(temporary_draft(dir.path(), child), fs::path()) << strsignal(signal_number);
    EXPECT_TRUE(folder_is_empty(dir / "WRK")) << strsignal(signal_number);
  }
}

// The labels in the driver trace are the fields' full names.
TEST(run_failure_test, trace_names_record_fields_with_their_file_prefix) {
  TempFolder dir;
  write_bytes(dir / "a.txt", "ab");
  const RunResult run = run_msgmake_args(dir.path(), {argument_text(Call{}, {}, {"a.txt"})}, {},
                                         "[BWASCII]\nProfile=1\nDetails=1\n[BWDOS]\nProfile=1\nDetails=1\n");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(read_bytes(dir / "ASCII.LOG").find("OUED:LINE"), std::string::npos);
  EXPECT_NE(read_bytes(dir / "DOS.LOG").find("INED:LINE"), std::string::npos);
}
