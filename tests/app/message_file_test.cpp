// The message file, end to end: it is replaced only by a whole message, in
// one step, and never when it is one of the files the message is made from;
// the temporary drafts of ended runs are cleared away; standard output can
// take the draft instead.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

constexpr char kOldMessage[] = "the message of an earlier run";

// The temporary drafts of m.eml in the folder, by name.
std::string temporary_drafts(const fs::path& folder) {
  std::string found;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(".m.eml.msgmake-", 0) == 0) found += name + " ";
  }
  return found;
}

void expect_one_line(const RunResult& run, const std::string& words) {
  EXPECT_EQ(run.err.rfind("msgmake: ", 0), 0u) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
}

Call call_with(std::string Call::*field, std::string value) {
  Call call;
  call.*field = std::move(value);
  return call;
}

// The id of a process that has ended.
pid_t ended_process() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  return child;
}

}  // namespace

// A run that fails or is refused, at whatever stage, leaves the message file
// as it was and no draft of its own.
TEST(message_file_test, a_failed_or_refused_run_leaves_the_message_file_as_it_was) {
  const struct {
    const char* name;
    std::string text;
    int exit_code;
    const char* says;
  } cases[] = {
      {"an attachment missing", argument_text(Call{}, {"line"}, {"a.txt", "none.pdf"}), 66, "'none.pdf': File Not Found"},
      {"an attachment that is a folder", argument_text(Call{}, {}, {"a.txt", "folder"}), 66,
       "'folder': it is a folder, not a file"},
      {"a recipient too long", argument_text(call_with(&Call::to, std::string(300, 'x') + "@example.com")), 65,
       "the To argument does not fit on its header line"},
      {"the message file attached", argument_text(Call{}, {}, {"m.eml"}), 64, "is also the attachment 'm.eml'"},
      {"a blank message file", argument_text(call_with(&Call::message_file, "  ")), 73,
       "cannot write message: the message file name is blank"},
      {"no arguments", "MakeEMLAttachmentFileSW()", 73, "the message file name is blank"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    write_bytes(dir / "a.txt", "a");
    fs::create_directory(dir / "folder");
    write_bytes(dir / "m.eml", kOldMessage);
    const RunResult run = run_msgmake(dir.path(), c.text);
    EXPECT_EQ(run.exit_code, c.exit_code);
    expect_one_line(run, c.says);
    EXPECT_EQ(read_bytes(dir / "m.eml"), kOldMessage);
    EXPECT_EQ(temporary_drafts(dir.path()), "");
  }
}

// The message file is never one of the files the message is made from, by
// name or by what the name leads to: the run is refused before anything is
// written, and that file keeps its bytes. Both forms of the command line.
TEST(message_file_test, the_message_file_is_never_a_file_to_read) {
  Call sound = call_with(&Call::sound_file, "in.wav");
  sound.message_file = "in.wav";
  const struct {
    const char* name;
    Lines args;
    const char* input;  // the file that must keep its bytes
    const char* says;
  } cases[] = {
      {"attached", {argument_text(call_with(&Call::message_file, "in.txt"), {}, {"in.txt"})}, "in.txt", "attachment"},
      {"attached by another path", {argument_text(call_with(&Call::message_file, "./in.txt"), {}, {"in.txt"})}, "in.txt",
       "attachment"},
      {"attached through a link", {argument_text(call_with(&Call::message_file, "link.txt"), {}, {"in.txt"})}, "in.txt",
       "attachment"},
      {"attached by a second name", {argument_text(call_with(&Call::message_file, "hard.txt"), {}, {"in.txt"})},
       "in.txt", "attachment"},
      {"a picture", {argument_text(call_with(&Call::message_file, "in.gif"), {"<img src=3D\"in.gif\">"})}, "in.gif",
       "picture"},
      {"the sound", {argument_text(sound)}, "in.wav", "sound file"},
      {"a picture also attached",
       {argument_text(call_with(&Call::message_file, "in.gif"), {"<img src=3D\"in.gif\">"}, {"in.gif"})}, "in.gif",
       "the attachment 'in.gif'"},
      {"-a", {"-o", "in.txt", "-a", "in.txt"}, "in.txt", "attachment"},
      {"a file after the options", {"-o", "link.txt", "in.txt"}, "in.txt", "attachment"},
      {"-i", {"-o", "in.gif", "-i", "./in.gif"}, "in.gif", "picture"},
      {"--sound", {"-o", "in.wav", "--sound", "in.wav"}, "in.wav", "sound file"},
      {"--text", {"-o", "in.txt", "--text", "hard.txt"}, "in.txt", "body file"},
      {"--html", {"-o", "in.txt", "--html", "in.txt"}, "in.txt", "body file"},
      {"a picture the HTML shows", {"-o", "in.gif", "--html", "page.html"}, "in.gif", "picture"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    for (const char* name : {"in.txt", "in.gif", "in.wav"}) write_bytes(dir / name, std::string("bytes of ") + name);
    write_bytes(dir / "in.gif", "GIF89a bytes of in.gif");  // a picture by its content
    fs::create_symlink("in.txt", dir / "link.txt");
    fs::create_hard_link(dir / "in.txt", dir / "hard.txt");
    write_bytes(dir / "page.html", "<img src=\"in.gif\">\n");
    const RunResult run = run_msgmake_args(dir.path(), c.args);
    EXPECT_EQ(run.exit_code, 64);
    expect_one_line(run, c.says);
    EXPECT_NE(read_bytes(dir / c.input).find(std::string("bytes of ") + c.input), std::string::npos);
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(temporary_drafts(dir.path()), "");
  }
}

// A run removes the temporary drafts of its message file that ended runs
// left, and nothing else: not the draft of a running process, nor the
// drafts of another message file, nor a name that only looks like one.
TEST(message_file_test, temporary_drafts_of_ended_runs_are_removed_and_nothing_else) {
  TempFolder dir;
  const std::string ended = std::to_string(ended_process());
  const std::string running = std::to_string(getpid());
  const Lines removed = {".m.eml.msgmake-" + ended + ".tmp", ".m.eml.msgmake-" + ended + "-k3v9a0zq.tmp"};
  const Lines kept = {".m.eml.msgmake-" + running + ".tmp", ".m.eml.msgmake-" + running + "-k3v9a0zq.tmp",
                      ".n.eml.msgmake-" + ended + ".tmp",   ".m.eml.msgmake-" + ended + "x.tmp",
                      ".m.eml.msgmake-" + ended + "-.tmp",  ".m.eml.msgmake-" + ended + "-K3V9.tmp",
                      ".M.EML.msgmake-" + ended + ".tmp",   "m.eml.msgmake-" + ended + ".tmp"};
  for (const std::string& name : removed) write_bytes(dir / name, "left by a killed run");
  for (const std::string& name : kept) write_bytes(dir / name, "not this run's");
  const RunResult run = run_msgmake(dir.path(), argument_text(Call{}));
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(Expected{}));
  for (const std::string& name : removed) EXPECT_FALSE(fs::exists(dir / name)) << name;
  for (const std::string& name : kept) EXPECT_EQ(read_bytes(dir / name), "not this run's") << name;
}

// The driver trace names the message file itself, never its temporary
// draft, and its removal tells what removing the message file would: done
// when there is one, "File Not Found" when there is none.
TEST(message_file_test, the_trace_names_the_message_file_itself) {
  for (const bool existing : {true, false}) {
    SCOPED_TRACE(existing ? "over an earlier message" : "a new message");
    TempFolder dir;
    if (existing) write_bytes(dir / "m.eml", kOldMessage);
    const RunResult run = run_msgmake_args(dir.path(), {argument_text(Call{})}, {}, "[BWASCII]\nProfile=1\n");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const std::string trace = read_bytes(dir / "ASCII.LOG");
    const std::string file = (dir / "m.eml").string();
    EXPECT_NE(trace.find("CREATE(" + file), std::string::npos) << trace.substr(0, 200);
    EXPECT_NE(trace.find("CLOSE(" + file), std::string::npos);
    EXPECT_EQ(trace.find(".m.eml.msgmake-"), std::string::npos);
    const size_t removal = trace.find("REMOVE(" + file);
    ASSERT_NE(removal, std::string::npos) << trace.substr(0, 200);
    const std::string line = trace.substr(removal, trace.find('\n', removal) - removal);
    EXPECT_EQ(line.find("Error"), existing ? std::string::npos : line.find("Error: File Not Found")) << line;
  }
}

// A draft keeps what the file it replaces was to its users: its
// permissions, and (when the run may give them: as root) its owner and
// group. A new draft gets the permissions the user's umask leaves, no more.
TEST(message_file_test, a_replaced_draft_keeps_its_permissions_and_owner) {
  const bool root = geteuid() == 0;
  const struct {
    const char* name;
    mode_t umask;
    int old_mode;  // -1: no earlier message
    bool given_away;
    int mode;
  } cases[] = {
      {"a new draft, umask 022", 022, -1, false, 0644},
      {"a new draft, umask 077", 077, -1, false, 0600},
      {"a new draft, umask 002", 002, -1, false, 0664},
      {"a private draft replaced", 022, 0600, false, 0600},
      {"a draft for the group replaced", 077, 0640, false, 0640},
      {"a draft of another user replaced", 022, 0604, true, 0604},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.given_away && !root) continue;  // only root may give a file away
    TempFolder dir;
    if (c.old_mode >= 0) {
      write_bytes(dir / "m.eml", kOldMessage);
      ASSERT_EQ(chmod((dir / "m.eml").c_str(), static_cast<mode_t>(c.old_mode)), 0);
      if (c.given_away) {
        ASSERT_EQ(chown((dir / "m.eml").c_str(), 4321, 4322), 0);
      }
    }
    const mode_t previous = umask(c.umask);
    const RunResult run = run_msgmake(dir.path(), argument_text(Call{}));
    umask(previous);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    struct stat draft {};
    ASSERT_EQ(stat((dir / "m.eml").c_str(), &draft), 0);
    EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(Expected{}));
    EXPECT_EQ(draft.st_mode & 07777, static_cast<mode_t>(c.mode));
    EXPECT_EQ(draft.st_uid, c.given_away ? 4321 : geteuid());
    EXPECT_EQ(draft.st_gid, c.given_away ? 4322 : getegid());
  }
}

// The temporary draft's name cannot be foreseen: entries planted at the
// names a run once used (its process id known before it starts) are
// neither written through nor in its way.
TEST(message_file_test, names_planted_for_the_temporary_draft_are_no_obstacle) {
  TempFolder dir;
  write_bytes(dir / "victim.txt", "not to be written");
  int go[2];
  ASSERT_EQ(pipe2(go, O_CLOEXEC), 0);  // the run keeps no end of it
  const pid_t child = start_msgmake_args(dir.path(), {argument_text(Call{})}, -1, go[0]);
  close(go[0]);
  const std::string lead = ".m.eml.msgmake-" + std::to_string(child);
  fs::create_symlink("victim.txt", dir / (lead + ".tmp"));
  fs::create_directory(dir / (lead + "-XXXXXXXX.tmp"));
  ASSERT_EQ(write(go[1], "g", 1), 1);
  close(go[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(Expected{}));
  EXPECT_EQ(read_bytes(dir / "victim.txt"), "not to be written");
  EXPECT_TRUE(fs::is_symlink(dir / (lead + ".tmp")));
  EXPECT_TRUE(fs::is_directory(dir / (lead + "-XXXXXXXX.tmp")));
  EXPECT_EQ(temporary_drafts(dir.path()).size(), (lead + ".tmp " + lead + "-XXXXXXXX.tmp ").size());
}

// A folder the user may not write to is no place for the draft: 73, with
// the system's cause, not a missing file found afterwards.
TEST(message_file_test, a_folder_without_write_permission_gives_its_cause) {
  const bool root = geteuid() == 0;
  if (root && std::system("setpriv --help >/dev/null 2>&1") != 0) GTEST_SKIP() << "playing another user needs setpriv";
  TempFolder dir;
  fs::create_directory(dir / "shut");
  for (const fs::path& folder : {dir.path(), dir / "shut"}) {
    if (root) {
      ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
    }
  }
  ASSERT_EQ(chmod((dir / "shut").c_str(), 0555), 0);
  const RunResult run = run_msgmake_args(dir.path(), {argument_text(call_with(&Call::message_file, "shut/m.eml"))},
                                         {}, "", root ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "");
  EXPECT_EQ(run.exit_code, 73);
  EXPECT_EQ(run.err, "msgmake: cannot write message 'shut/m.eml': Access Denied\n");
  EXPECT_TRUE(fs::is_empty(dir / "shut"));
}

// "-o -" writes the draft to standard output, the same bytes as to a file,
// and nothing else there; no file is left in the folder.
TEST(message_file_test, standard_output_takes_the_draft_and_nothing_else) {
  TempFolder dir;
  write_bytes(dir / "a.txt", random_bytes(5000, 7));
  const Lines options = {"-t", "ann@example.com", "-s", "Report", "a.txt"};
  Lines to_file = {"-o", "m.eml"}, to_output = {"-o", "-"};
  append(to_file, options);
  append(to_output, options);
  ASSERT_EQ(run_msgmake_args(dir.path(), to_file).exit_code, 0);
  const std::string draft = read_bytes(dir / "m.eml");
  fs::remove(dir / "m.eml");
  const RunResult run = run_msgmake_args(dir.path(), to_output);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, draft);
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
    EXPECT_TRUE(entry.path().filename() == "a.txt" || entry.path().filename() == "WRK") << entry.path();
}

// Every header argument of the call text arrives whole, folded where it
// can be, or the run is refused (65): a line of the message holds 250
// bytes, the name fields 256.
TEST(message_file_test, the_call_text_cuts_nothing_silently) {
  const std::string at = "@example.com";
  const struct {
    const char* name;
    std::string text;
    int exit_code;
    const char* says;
  } cases[] = {
      {"a recipient that fills its line", argument_text(call_with(&Call::to, std::string(246 - at.size(), 'x') + at)),
       0, ""},
      {"a recipient one byte longer", argument_text(call_with(&Call::to, std::string(247 - at.size(), 'x') + at)), 65,
       "the To argument"},
      {"a second Cc address too long",
       argument_text(call_with(&Call::cc, "a" + at + "," + std::string(250, 'y') + at)), 65, "the Cc argument"},
      {"a Bcc with trailing blanks", argument_text(call_with(&Call::bcc, "b" + at + std::string(300, ' '))), 0, ""},
      {"a subject longer than a line, folded", argument_text(call_with(&Call::subject, std::string(1000, 's'))), 0,
       ""},
      {"a message file name past its field", argument_text(call_with(&Call::message_file, std::string(257, 'm'))), 65,
       "the message file name is longer than 256 bytes"},
      {"a font face of quotes", argument_text(call_with(&Call::font_face, std::string(40, '"'))), 65, "font face"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    const RunResult run = run_msgmake(dir.path(), c.text);
    EXPECT_EQ(run.exit_code, c.exit_code) << run.err;
    if (c.exit_code == 0) {
      EXPECT_TRUE(fs::exists(dir / "m.eml"));
      continue;
    }
    expect_one_line(run, c.says);
    EXPECT_FALSE(fs::exists(dir / "m.eml"));
    EXPECT_EQ(temporary_drafts(dir.path()), "");
  }
}
