// Names that are not regular files, links and files held by another process:
// nothing blocks, nothing but a regular file or a link is removed, and a file
// that another process holds is neither removed nor replaced.
#include "platform/file.h"
#include "platform/handle.h"
#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

void make_fifo(const fs::path& path) {
  ASSERT_EQ(std::system(("mkfifo " + shell_quote(path.string())).c_str()), 0);
}

}  // namespace

// Only nothing, a file, or a link that leads to a file is replaced at the
// message path (a link itself, never what it names). Anything else stays as
// it was and the run ends with 73: a FIFO, a folder, a device, or a link to
// one of them or to nothing.
TEST(special_files_test, only_a_file_or_a_link_to_one_at_the_message_path_is_replaced) {
  const struct {
    const char* standing;
    const char* link_to;  // null: the entry itself stands there
    const char* entry;    // what stands there or what the link leads to
    int exit_code;
    const char* reason;
  } cases[] = {
      {"a FIFO", nullptr, "fifo", 73, "Access Denied"},
      {"a folder", nullptr, "folder", 73, "Access Denied"},
      {"a link to a file", "outside.txt", "file", 0, ""},
      {"a link to a FIFO", "p.fifo", "fifo", 73, "Access Denied"},
      {"a link to a folder", "sub", "folder", 73, "Access Denied"},
      {"a link to a device", "/dev/null", "", 73, "Access Denied"},
      {"a link to nothing", "nowhere.txt", "", 73, "it is a link that leads to no file, and is not replaced"},
  };
  for (const auto& [standing, link_to, entry, exit_code, reason] : cases) {
    SCOPED_TRACE(standing);
    TempFolder dir;
    write_bytes(dir / "outside.txt", "not to be touched");
    const fs::path made = link_to == nullptr ? dir / "m.eml" : dir / (link_to[0] == '/' ? "unused" : link_to);
    if (std::string(entry) == "fifo") make_fifo(made);
    if (std::string(entry) == "folder") fs::create_directory(made);
    if (link_to != nullptr) fs::create_symlink(link_to, dir / "m.eml");
    const fs::file_status before = fs::symlink_status(dir / "m.eml");
    const RunResult run = run_msgmake(dir.path(), argument_text(Call{}));
    EXPECT_EQ(run.exit_code, exit_code) << run.err;
    EXPECT_EQ(read_bytes(dir / "outside.txt"), "not to be touched");
    EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));
    if (exit_code == 0) {
      EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(Expected{}));
      EXPECT_FALSE(fs::is_symlink(dir / "m.eml"));
      continue;
    }
    EXPECT_EQ(run.err, std::string("msgmake: cannot write message 'm.eml': ") + reason + "\n");
    EXPECT_EQ(fs::symlink_status(dir / "m.eml").type(), before.type()) << "left as it was";
    if (link_to != nullptr) {
      EXPECT_EQ(fs::read_symlink(dir / "m.eml"), link_to);
    }
  }
}

// A FIFO to attach, embed or play is refused as unreadable at once: the
// attachment fails (66), the picture reference stays as written, the sound
// part has no data lines.
TEST(special_files_test, a_fifo_to_attach_embed_or_play_is_refused_without_waiting) {
  TempFolder dir;
  make_fifo(dir / "p.fifo");
  const RunResult attached = run_msgmake(dir.path(), argument_text(Call{}, {}, {"p.fifo"}));
  EXPECT_EQ(attached.exit_code, 66);
  EXPECT_EQ(attached.err, "msgmake: cannot read attachment 'p.fifo': Access Denied\n");
  EXPECT_FALSE(fs::exists(dir / "m.eml"));

  Call call;
  call.sound_file = "p.fifo";
  call.sound_loop = "Once";
  const std::string picture = "<IMG src=3D\"p.fifo\">";
  const RunResult run = run_msgmake(dir.path(), argument_text(call, {picture}, {}));
  EXPECT_EQ(run.exit_code, 0) << run.err;
  Expected e;
  e.sound_loop = "1";
  e.body = {picture + "<br>"};
  e.parts = sound_part("p.fifo", "application/octet-stream", nullptr);
  EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(e));
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
}

// A system profile that is a FIFO counts as missing: the run neither waits
// for it nor fails.
TEST(special_files_test, a_fifo_as_system_profile_counts_as_missing) {
  TempFolder dir;
  make_fifo(dir / "win.fifo");
  const std::string command = "cd " + shell_quote(dir.path().string()) + " && SOURCE_DATE_EPOCH=" + kFixedEpoch + " WININI=win.fifo " +
                              shell_quote(MSGMAKE_BINARY) + " " +
                              shell_quote(argument_text(Call{})) + " 2>err";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read_bytes(dir / "err"), "");
  EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(Expected{}));
}

// A message file that another process holds open without delete sharing, as
// a run writing it does, is neither removed nor replaced: the second writer
// fails with 73 and the first one's file stays whole.
TEST(special_files_test, a_message_file_held_by_another_process_is_left_alone) {
  TempFolder dir;
  write_bytes(dir / "m.eml", "being written");
  const plat::HANDLE held = plat::CreateFileA(
      (dir / "m.eml").string().c_str(), plat::GENERIC_READ | plat::GENERIC_WRITE,
      plat::FILE_SHARE_READ, nullptr, plat::OPEN_EXISTING, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, plat::INVALID_HANDLE_VALUE);
  const RunResult run = run_msgmake(dir.path(), argument_text(Call{}));
  plat::CloseHandle(held);
  EXPECT_EQ(run.exit_code, 73);
  EXPECT_EQ(run.err, "msgmake: cannot write message 'm.eml': Access Denied\n");
  EXPECT_EQ(read_bytes(dir / "m.eml"), "being written");
}

// Trace logs that are links in the current folder are not written through:
// what they name keeps its bytes, and the run goes on without its traces.
TEST(special_files_test, trace_logs_that_are_links_are_never_written_through) {
  TempFolder dir;
  write_bytes(dir / "outside.txt", "not to be touched");
  write_bytes(dir / "a.txt", "ab");
  fs::create_symlink("outside.txt", dir / "ASCII.LOG");
  fs::create_symlink("outside.txt", dir / "DOS.LOG");
  const RunResult run = run_msgmake_args(dir.path(), {argument_text(Call{}, {}, {"a.txt"})}, {},
                                         "[BWASCII]\nProfile=1\n[BWDOS]\nProfile=1\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(read_bytes(dir / "outside.txt"), "not to be touched");
  EXPECT_TRUE(fs::is_symlink(dir / "ASCII.LOG"));
  EXPECT_TRUE(fs::is_symlink(dir / "DOS.LOG"));
}
