// The work folder below the current directory: runs that share it never see
// each other's copies, and entries planted in it are replaced, never followed.
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
      command += " (SOURCE_DATE_EPOCH=" + std::string(kFixedEpoch) + " WININI=.wininit " + shell_quote(MSGMAKE_BINARY) + " " + shell_quote(args) +
                 " 2>err" + n + "; echo $? >exit" + n + ") &";
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
    EXPECT_EQ(read_bytes(dir / "m.eml"), message_attaching("a.txt", "the attachment", "text/plain"));
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
  const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {"<IMG src=3D\"p.gif\">"}, {}));
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(read_bytes(dir / "outside.gif"), "not to be touched");
  EXPECT_EQ(mime_check(dir / "m.eml", {image_entry(1, "p.gif", "p.gif")}), "ok\n");
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
}
