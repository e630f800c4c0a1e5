// The work folder as an attacker or a second run meets it, through the built
// program on Linux: things planted at the lock file's name or a copy's, a run
// holding the folder, folders of other users or open to them, modes, a
// current folder that is gone, a full work folder.
#include <sys/wait.h>

#include <csignal>
#include <cstdio>

#include "platform/private_folder.h"
#include "tests/app/draft_harness.h"

using namespace draft_harness;

// Something planted at the lock file's name: the run neither goes on
// unlocked nor touches what was planted or what it leads to (exit 75).
TEST(work_folder_safety_test, a_run_that_cannot_lock_the_work_folder_fails_with_75) {
  const struct {
    const char* planted;
    void (*plant)(const fs::path& dir);
  } cases[] = {
      {"a folder",
       [](const fs::path& dir) { fs::create_directory(dir / "WRK" / kWorkFolderHoldFile); }},
      {"a link to a file outside",
       [](const fs::path& dir) {
         fs::create_symlink("../outside.txt", dir / "WRK" / kWorkFolderHoldFile);
       }},
      {"a link to nothing",
       [](const fs::path& dir) {
         fs::create_symlink("../nowhere.txt", dir / "WRK" / kWorkFolderHoldFile);
       }},
      {"a FIFO",
       [](const fs::path& dir) {
         ASSERT_EQ(
             std::system(
                 ("mkfifo " + shell_quote((dir / "WRK" / kWorkFolderHoldFile).string())).c_str()),
             0);
       }},
  };
  for (const auto& [planted, plant] : cases) {
    SCOPED_TRACE(planted);
    TempFolder dir;
    fs::create_directory(dir / "WRK");
    fs::permissions(dir / "WRK", fs::perms::owner_all);
    write_bytes(dir / "outside.txt", "not to be touched");
    write_bytes(dir / "a.txt", "the attachment");
    plant(dir.path());
    const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {}, {"a.txt"}));
    EXPECT_EQ(run.exit_code, 75);
    EXPECT_EQ(
        run.err.rfind("msgmake: cannot lock the work folder '" + (dir / "WRK").string() + "'", 0),
        0u)
        << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_FALSE(fs::exists(dir / "m.eml"));
    EXPECT_EQ(read_bytes(dir / "outside.txt"), "not to be touched");
    EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));
    EXPECT_FALSE(fs::exists(dir / "WRK" / "a.txt"));
  }
}

// A run waits for the run that holds the work folder, says so once on
// standard error after a second, and goes on when the other lets go.
TEST(work_folder_safety_test, a_run_waits_for_the_run_holding_the_work_folder_and_says_so) {
  TempFolder dir;
  plat::folder_fault fault = plat::folder_fault::none;
  ASSERT_TRUE(plat::make_private_folder((dir / "WRK").string().c_str(), &fault));
  ASSERT_EQ(
      plat::hold_folder((dir / "WRK" / kWorkFolderHoldFile).string().c_str(), plat::hold_wait{}),
      plat::hold_result::held);
  write_bytes(dir / ".wininit", "");
  const std::string command = "cd " + shell_quote(dir.path().string()) +
                              " && WININI=.wininit SOURCE_DATE_EPOCH=" + kFixedEpoch + " " +
                              shell_quote(MSGMAKE_BINARY) + " " +
                              shell_quote(argument_text(Call{})) + " 2>&1 >/dev/null";
  FILE* output = popen(command.c_str(), "r");
  ASSERT_NE(output, nullptr);
  char line[512] = {};
  const bool said =
      std::fgets(line, sizeof line, output) != nullptr;  // blocks until the run says it waits
  EXPECT_FALSE(fs::exists(dir / "m.eml")) << "written while the folder was held";
  plat::release_folder();
  const int status = pclose(output);
  EXPECT_TRUE(said);
  EXPECT_EQ(std::string(line), "msgmake: waiting for another run to finish with the work folder '" +
                                   (dir / "WRK").string() + "'\n");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(Expected{}));
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
}

// The work folder must be a folder of the user's own that nobody else may
// write to: anything else is refused before anything is made (exit 73).
TEST(work_folder_safety_test,
     a_work_folder_others_may_write_to_or_that_is_not_the_users_is_refused) {
  const struct {
    const char* folder;
    void (*make)(const fs::path& dir);
    const char* said;
  } cases[] = {
      {"writable by all",
       [](const fs::path& dir) {
         fs::create_directory(dir / "WRK"), fs::permissions(dir / "WRK", fs::perms::all);
       },
       "may be written by other users"},
      {"writable by its group",
       [](const fs::path& dir) {
         fs::create_directory(dir / "WRK");
         fs::permissions(dir / "WRK", fs::perms::owner_all | fs::perms::group_all);
       },
       "may be written by other users"},
      {"of another user",
       [](const fs::path& dir) {
         fs::create_directory(dir / "WRK");
         fs::permissions(dir / "WRK", fs::perms::owner_all);
         ASSERT_EQ(std::system(("chown 65534 " + shell_quote((dir / "WRK").string())).c_str()), 0);
       },
       "belongs to another user"},
      {"a link to a folder",
       [](const fs::path& dir) {
         fs::create_directory(dir / "elsewhere");
         fs::permissions(dir / "elsewhere", fs::perms::owner_all);
         fs::create_directory_symlink("elsewhere", dir / "WRK");
       },
       "is not a folder of its own"},
      {"a file", [](const fs::path& dir) { write_bytes(dir / "WRK", "a file"); },
       "is not a folder of its own"},
  };
  for (const auto& [folder, make, said] : cases) {
    SCOPED_TRACE(folder);
    TempFolder dir;
    make(dir.path());
    write_bytes(dir / "a.txt", "the attachment");
    const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {}, {"a.txt"}));
    EXPECT_EQ(run.exit_code, 73);
    EXPECT_EQ(run.err.rfind("msgmake: the work folder '" + (dir / "WRK").string() + "' " + said, 0),
              0u)
        << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_FALSE(fs::exists(dir / "m.eml"));
    EXPECT_FALSE(fs::exists(dir / "WRK" / "a.txt"));
    EXPECT_FALSE(fs::exists(dir / "WRK" / kWorkFolderHoldFile));
  }
}

// A work folder that a run makes is its user's alone.
TEST(work_folder_safety_test, a_work_folder_made_by_a_run_is_the_users_alone) {
  TempFolder dir;
  write_bytes(dir / "a.txt", "the attachment");
  const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {}, {"a.txt"}));
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(fs::status(dir / "WRK").permissions(), fs::perms::owner_all);
}

// A current folder removed under the run: nothing is made anywhere, not even
// a work folder at the root (exit 73).
TEST(work_folder_safety_test, a_current_folder_that_is_gone_is_refused) {
  TempFolder dir;
  ASSERT_FALSE(fs::exists("/WRK")) << "a WRK at the root would hide what this test looks for";
  fs::create_directory(dir / "gone");
  const std::string command =
      "cd " + shell_quote((dir / "gone").string()) + " && rmdir ../gone && WININI=/dev/null " +
      shell_quote(MSGMAKE_BINARY) + " " + shell_quote(argument_text(Call{})) + " 2>../err";
  const int status = std::system(command.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 73);
  EXPECT_EQ(read_bytes(dir / "err").rfind("msgmake: the current folder cannot be resolved: ", 0),
            0u)
      << read_bytes(dir / "err");
  EXPECT_FALSE(fs::exists("/WRK"));
  EXPECT_FALSE(fs::exists(dir / "WRK"));
}

// A FIFO left at a copy's name is replaced like any other entry, and the run
// neither blocks on it nor is refused.
TEST(work_folder_safety_test, a_fifo_at_a_copys_name_is_replaced) {
  TempFolder dir;
  fs::create_directory(dir / "WRK");
  fs::permissions(dir / "WRK", fs::perms::owner_all);
  ASSERT_EQ(std::system(("mkfifo " + shell_quote((dir / "WRK" / "a.txt").string())).c_str()), 0);
  write_bytes(dir / "a.txt", "the attachment");
  const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {}, {"a.txt"}));
  EXPECT_EQ(run.exit_code, 0) << run.err;
  Expected e;
  e.parts = attachment_part("a.txt", "the attachment", "text/plain");
  EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(e));
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
}

// A work folder that fills up while a copy is written: the line names the
// work copy and the full disk, not the attachment, which could be read (exit
// 74). The folder is a small file system of a mount namespace of the run's own.
TEST(work_folder_safety_test, a_full_work_folder_names_the_work_copy_and_the_full_disk) {
  if (std::system("unshare -rm true 2>/dev/null") != 0) GTEST_SKIP() << "no mount namespace here";
  TempFolder dir;
  write_bytes(dir / "big.bin", random_bytes(200000, 5));
  fs::create_directory(dir / "WRK");
  const std::string script =
      "mount -t tmpfs -o size=64k,mode=0700 tmpfs WRK && \"$0\" \"$1\"; code=$?; ls -A WRK; exit "
      "$code";
  const RunResult run = run_msgmake_args(dir.path(), {argument_text(Call{}, {}, {"big.bin"})}, {},
                                         "", "unshare -rm sh -c " + shell_quote(script));
  EXPECT_EQ(run.exit_code, 74);
  EXPECT_EQ(run.err, "msgmake: cannot make work copy '" + (dir / "WRK" / "big.bin").string() +
                         "': There is not enough space on the disk (system error 112)\n");
  EXPECT_EQ(run.out, "") << "left in the work folder";
  EXPECT_FALSE(fs::exists(dir / "m.eml"));
}

// A run killed while its work copy is in the work folder leaves that copy,
// made for the user alone. The next run, attaching another file, removes it,
// and nothing else of the folder. The run is killed at each of its writes in
// turn (the fault runner's plan), so the copy is left at every stage.
TEST(work_folder_safety_test, the_next_run_removes_the_copy_a_killed_run_left_and_nothing_else) {
  TempFolder dir;
  write_bytes(dir / "big.bin", random_bytes(300000, 6));
  write_bytes(dir / "other.txt", "another attachment");
  const std::string killed_text = argument_text(Call{}, {}, {"big.bin"});
  const std::string next_text = argument_text(Call{}, {}, {"other.txt"});
  const RunResult counted = run_fault_runner(dir.path(), killed_text, "", dir / ".counts");
  ASSERT_EQ(counted.exit_code, 0) << counted.err;
  const uint64_t writes = read_call_counts(dir / ".counts").at("write");
  fs::remove(dir / ".counts");
  int copies_left = 0;
  for (uint64_t n = 1; n <= writes; ++n) {
    SCOPED_TRACE("killed at write " + std::to_string(n));
    write_bytes(dir / "WRK" / "keep.txt", "the user's");
    const RunResult killed =
        run_fault_runner(dir.path(), killed_text, "write " + std::to_string(n) + " kill");
    ASSERT_EQ(killed.exit_code, 128 + SIGKILL) << killed.err;
    if (!fs::exists(dir / "WRK" / "big.bin")) continue;
    ++copies_left;
    EXPECT_EQ(fs::status(dir / "WRK" / "big.bin").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    const RunResult next = run_fault_runner(dir.path(), next_text);
    ASSERT_EQ(next.exit_code, 0) << next.err;
    EXPECT_FALSE(fs::exists(dir / "WRK" / "big.bin"));
    EXPECT_EQ(read_bytes(dir / "WRK" / "keep.txt"), "the user's");
    fs::remove(dir / "WRK" / "keep.txt");
    EXPECT_TRUE(folder_is_empty(dir / "WRK")) << "the lock file stays";
  }
  EXPECT_GT(copies_left, 0);
}

// A run of another user (setpriv plays one): a lock file it may not write, in
// a work folder of its own, is no lock it can take (75), and a shared work
// folder is not its own (73). Either way the run does not go on unlocked.
TEST(work_folder_safety_test,
     a_lock_file_or_work_folder_of_another_user_never_lets_a_run_go_on_unlocked) {
  if (geteuid() != 0 || std::system("setpriv --help >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "playing another user needs root and setpriv";
  const struct {
    const char* folder;
    const char* folder_mode;
    const char* folder_owner;
    int exit_code;
    const char* said;
  } cases[] = {
      {"the user's own, with root's lock file", "700", "65534", 75, "cannot lock the work folder"},
      {"shared by all, with root's lock file", "1777", "0", 73, "belongs to another user"},
  };
  for (const auto& [folder, folder_mode, folder_owner, exit_code, said] : cases) {
    SCOPED_TRACE(folder);
    TempFolder dir;
    write_bytes(dir / "a.txt", "the attachment");
    fs::create_directory(dir / "WRK");
    write_bytes(dir / "WRK" / kWorkFolderHoldFile, "");
    const std::string wrk = shell_quote((dir / "WRK").string());
    ASSERT_EQ(std::system(("chmod 644 " + wrk + "/" + kWorkFolderHoldFile + " && chmod " +
                           folder_mode + " " + wrk + " && chown " + folder_owner + " " + wrk)
                              .c_str()),
              0);
    const RunResult run =
        run_msgmake_args(dir.path(), {argument_text(Call{}, {}, {"a.txt"})}, {}, "",
                         "setpriv --reuid=65534 --regid=65534 --clear-groups");
    EXPECT_EQ(run.exit_code, exit_code) << run.err;
    EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_FALSE(fs::exists(dir / "WRK" / "a.txt"));
    EXPECT_EQ(fs::status(dir / "WRK" / kWorkFolderHoldFile).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
  }
}
