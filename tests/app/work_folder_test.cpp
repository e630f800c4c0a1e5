// The work folder below the current directory: runs that share it never see
// each other's copies, a run gives up when another holds it too long, files
// in it are used in place, and entries planted in it are replaced, never
// followed.
#include "app/work_folder.h"

#include <cstring>

#include "app/program_data.h"
#include "app/run_outcome.h"
#include "platform/private_folder.h"
#include "platform/process.h"
#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

// The message that attaches `name` holding `bytes`, and nothing else.
std::string message_attaching(const std::string& name, const std::string& bytes,
                              const std::string& type = "application/octet-stream") {
  Expected e;
  e.parts = attachment_part(name, bytes, type);
  return expected_message(e);
}

// In a child, a copy of this process: holds the work folder named by
// `folder` (a C string) without waiting, as a run does. 1 held; 0 refused as
// a run refuses when the folder stays held; 2 refused otherwise.
int hold_without_waiting(void* folder) {
  const std::string name = static_cast<const char*>(folder);
  app::ProgramData& data = app::program_data();
  std::memset(data.work_directory, ' ', sizeof data.work_directory);
  std::memcpy(data.work_directory, name.data(), name.size());
  data.work_directory[name.size()] = '/';
  app::run_outcome().reset();
  if (app::HoldWorkDirectory(0)) return 1;
  const std::string expected = "msgmake: the work folder '" + name +
                               "' is still held by another run after 0 seconds; try again later\n";
  return app::run_outcome().exit_code() == 75 && app::run_outcome().error_line() == expected ? 0
                                                                                             : 2;
}

}  // namespace

// Runs in one folder at once, each attaching a file of the same name from a
// folder of its own: every run succeeds, and every message carries its own
// run's file. A run holds the work folder while it copies and encodes.
TEST(work_folder_test, runs_sharing_the_work_folder_each_encode_their_own_file) {
  constexpr int kRuns = 3;
  constexpr int kRounds = 2;
  for (int round = 0; round < kRounds; ++round) {
    TempFolder dir;
    write_bytes(dir / ".wininit", "");
    std::string command = "cd " + shell_quote(dir.path().string()) + " || exit 1;";
    std::string contents[kRuns];
    for (int run = 0; run < kRuns; ++run) {
      const std::string n = std::to_string(run);
      fs::create_directory(dir / ("from" + n));
      contents[run] = random_bytes(600000 + 1000 * run, 10 * round + run);
      write_bytes(dir / ("from" + n) / "data.bin", contents[run]);
      Call call;
      call.message_file = "m" + n + ".eml";
      const std::string args = argument_text(call, {}, {"from" + n + "/data.bin"});
      command += " (SOURCE_DATE_EPOCH=" + std::string(kFixedEpoch) + " WININI=.wininit " +
                 shell_quote(MSGMAKE_BINARY) + " " + shell_quote(args) + " 2>err" + n +
                 "; echo $? >exit" + n + ") &";
    }
    ASSERT_EQ(std::system((command + " wait").c_str()), 0);
    for (int run = 0; run < kRuns; ++run) {
      const std::string n = std::to_string(run);
      SCOPED_TRACE("round " + std::to_string(round) + ", run " + n);
      EXPECT_EQ(read_bytes(dir / ("exit" + n)), "0\n");
      EXPECT_EQ(read_bytes(dir / ("err" + n)), "");
      EXPECT_TRUE(read_bytes(dir / ("m" + n + ".eml")) ==
                  message_attaching("data.bin", contents[run]))
          << "the message does not carry its own run's file";
    }
    EXPECT_TRUE(folder_is_empty(dir / "WRK"));
  }
}

// A link planted in the work folder under the name of an attachment: the copy
// takes the link's place, and what the link names is neither written nor
// filled, nor read into the message.
TEST(work_folder_test, links_planted_in_the_work_folder_are_replaced_not_followed) {
  const struct {
    const char* planted;
    const char* names;
  } cases[] = {
      {"a link to a file outside", "../outside.txt"},
      {"a link to a folder outside", "../outside"},
      {"a link to nothing", "../nowhere.txt"},
  };
  for (const auto& [planted, names] : cases) {
    SCOPED_TRACE(planted);
    TempFolder dir;
    fs::create_directories(dir / "WRK");
    fs::create_directory(dir / "outside");
    write_bytes(dir / "outside.txt", "not to be touched");
    fs::create_symlink(names, dir / "WRK" / "a.txt");
    write_bytes(dir / "a.txt", "the attachment");
    const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {}, {"a.txt"}));
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(read_bytes(dir / "m.eml"),
              message_attaching("a.txt", "the attachment", "text/plain"));
    EXPECT_EQ(read_bytes(dir / "outside.txt"), "not to be touched");
    EXPECT_TRUE(fs::is_empty(dir / "outside"));
    EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));
    EXPECT_TRUE(folder_is_empty(dir / "WRK"));
  }
}

// A picture is copied into the work folder too; a link planted under its name
// is replaced the same way.
TEST(work_folder_test, a_link_planted_under_a_picture_name_is_replaced) {
  TempFolder dir;
  fs::create_directories(dir / "WRK");
  write_bytes(dir / "outside.gif", "not to be touched");
  fs::create_symlink("../outside.gif", dir / "WRK" / "p.gif");
  write_bytes(dir / "p.gif", "GIF89a picture");
  const RunResult run =
      run_msgmake(dir.path(), argument_text(Call{}, {"<IMG src=3D\"p.gif\">"}, {}));
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(read_bytes(dir / "outside.gif"), "not to be touched");
  EXPECT_EQ(mime_check(dir / "m.eml", {image_entry(1, "p.gif", "p.gif")}), "ok\n");
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
}

// A run gives up when the folder stays held for all of its wait (exit 75).
TEST(work_folder_test, a_run_gives_up_when_the_work_folder_stays_held) {
  TempFolder dir;
  plat::folder_fault fault = plat::folder_fault::none;
  ASSERT_TRUE(plat::make_private_folder((dir / "WRK").string().c_str(), &fault));
  char folder[256] = {};
  ASSERT_LT((dir / "WRK").string().size(), sizeof folder - 1);
  std::strcpy(folder, (dir / "WRK").string().c_str());
  ASSERT_EQ(
      plat::hold_folder((dir / "WRK" / kWorkFolderHoldFile).string().c_str(), plat::hold_wait{}),
      plat::hold_result::held);
  EXPECT_EQ(plat::run_in_child_process(&hold_without_waiting, folder), 0);
  plat::release_folder();
  EXPECT_EQ(plat::run_in_child_process(&hold_without_waiting, folder), 1);
}

// An attachment and a picture that are in the work folder already are read
// where they are, and stay.
TEST(work_folder_test, files_in_the_work_folder_are_used_in_place_and_kept) {
  TempFolder dir;
  fs::create_directory(dir / "WRK");
  fs::permissions(dir / "WRK", fs::perms::owner_all);
  write_bytes(dir / "WRK" / "keep.txt", "kept bytes");
  write_bytes(dir / "WRK" / "p.gif", "GIF89a kept picture");
  const std::string picture = "<IMG src=3D\"WRK/p.gif\">";
  const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {picture}, {"WRK/keep.txt"}));
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(mime_check(dir / "m.eml", {attachment_entry("keep.txt", "WRK/keep.txt"),
                                       image_entry(1, "p.gif", "WRK/p.gif")}),
            "ok\n");
  EXPECT_EQ(read_bytes(dir / "WRK" / "keep.txt"), "kept bytes");
  EXPECT_EQ(read_bytes(dir / "WRK" / "p.gif"), "GIF89a kept picture");
}

// Whatever a run finds at its copy's name is replaced, as long as nothing
// would be lost: a folder with something in it stays, and the run says that
// the work copy could not be made there (exit 74).
TEST(work_folder_test, what_stands_at_a_copys_name_is_replaced_unless_it_holds_something) {
  const struct {
    const char* standing;
    void (*plant)(const fs::path& copy);
    int exit_code;
  } cases[] = {
      {"a file", [](const fs::path& copy) { write_bytes(copy, "stale"); }, 0},
      {"an empty folder", [](const fs::path& copy) { fs::create_directory(copy); }, 0},
      {"a folder with a file in it",
       [](const fs::path& copy) {
         fs::create_directory(copy);
         write_bytes(copy / "inside.txt", "kept");
       },
       74},
  };
  for (const auto& [standing, plant, exit_code] : cases) {
    SCOPED_TRACE(standing);
    TempFolder dir;
    fs::create_directory(dir / "WRK");
    fs::permissions(dir / "WRK", fs::perms::owner_all);
    write_bytes(dir / "a.txt", "the attachment");
    plant(dir / "WRK" / "a.txt");
    const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {}, {"a.txt"}));
    EXPECT_EQ(run.exit_code, exit_code) << run.err;
    if (exit_code == 0) {
      EXPECT_EQ(read_bytes(dir / "m.eml"),
                message_attaching("a.txt", "the attachment", "text/plain"));
      EXPECT_TRUE(folder_is_empty(dir / "WRK"));
      continue;
    }
    // The work folder as the current folder's path names it (on Windows, by
    // its long form).
    const std::string said = "WRK" + std::string(1, fs::path::preferred_separator) +
                             "a.txt': The directory is not empty (system error 145)\n";
    EXPECT_EQ(run.err.rfind("msgmake: cannot make work copy '", 0), 0u) << run.err;
    EXPECT_TRUE(run.err.ends_with(said)) << run.err;
    const fs::path copy = dir / "WRK" / "a.txt";
    EXPECT_FALSE(fs::exists(dir / "m.eml"));
    EXPECT_EQ(read_bytes(copy / "inside.txt"), "kept");
  }
}

// The work folder keeps one name for itself: a file of that name is refused
// for what it is (exit 65), and the run holding the folder is undisturbed.
TEST(work_folder_test, a_file_named_as_the_work_folders_hold_file_is_refused_for_its_name) {
  TempFolder dir;
  fs::create_directory(dir / "sub");
  write_bytes(dir / "sub" / kWorkFolderHoldFile, "an attachment");
  const std::string name = std::string("sub/") + kWorkFolderHoldFile;
  const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {}, {name}));
  EXPECT_EQ(run.exit_code, 65);
  EXPECT_EQ(run.err, "msgmake: cannot copy '" + name +
                         "' into the work folder, which keeps the name '" + kWorkFolderHoldFile +
                         "' for the file that holds it\n");
  EXPECT_FALSE(fs::exists(dir / "m.eml"));
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
}

// A message file in the work folder under an attachment's name would be read
// in place of the attachment's copy: refused as a usage error (64), with the
// real cause named.
TEST(work_folder_test, a_message_file_that_is_an_attachments_work_copy_is_refused) {
  TempFolder dir;
  write_bytes(dir / "a.txt", "the attachment");
  Call call;
  call.message_file = "WRK/a.txt";
  const RunResult run = run_msgmake(dir.path(), argument_text(call, {}, {"a.txt"}));
  EXPECT_EQ(run.exit_code, 64);
  EXPECT_EQ(run.err,
            "msgmake: the message file 'WRK/a.txt' is the work copy of the attachment 'a.txt'; "
            "nothing was written\n");
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
  call.message_file = "WRK/m.eml";
  EXPECT_EQ(run_msgmake(dir.path(), argument_text(call, {}, {"a.txt"})).exit_code, 0)
      << "another name in it is fine";
}
