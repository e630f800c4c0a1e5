// Long paths through the built program on Linux: a run works with every path
// it can name in full, and refuses, with one line and before anything is
// made, one whose path it would have to cut. Nothing is made outside the
// current folder's work folder and the message file.
#include <set>

#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

// A folder inside `dir` whose absolute path is `length` bytes long.
fs::path folder_of_length(const TempFolder& dir, size_t length) {
  const fs::path folder = dir / std::string(length - dir.path().string().size() - 1, 'd');
  fs::create_directory(folder);
  return folder;
}

// The names in `folder`, sorted, each followed by a space.
std::string entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  std::string listed;
  for (const std::string& name : names) listed += name + " ";
  return listed;
}

}  // namespace

// The work folder's path is the current folder's and "/WRK/" in 256 bytes: a
// current folder longer than that is refused before anything is made, in it,
// beside it or at the root.
TEST(long_paths_test,
     a_current_folder_too_long_for_the_work_folder_is_refused_and_nothing_is_made) {
  const struct {
    size_t length;
    int exit_code;
  } cases[] = {{251, 0}, {252, 73}, {256, 73}, {262, 73}};
  ASSERT_FALSE(fs::exists("/WRK")) << "a WRK at the root would hide what this test looks for";
  for (const auto& [length, exit_code] : cases) {
    SCOPED_TRACE(length);
    TempFolder dir;
    const fs::path folder = folder_of_length(dir, length);
    const RunResult run = run_msgmake(folder, argument_text(Call{}));
    EXPECT_EQ(run.exit_code, exit_code) << run.err;
    EXPECT_EQ(entries(dir.path()), folder.filename().string() + " ")
        << "made beside the current folder";
    EXPECT_FALSE(fs::exists("/WRK"));
    if (exit_code == 0) {
      EXPECT_EQ(entries(folder), "WRK m.eml ");
      continue;
    }
    EXPECT_EQ(run.err, "msgmake: the current folder's path is " + std::to_string(length) +
                           " bytes; the work folder needs it to be at most 251\n");
    EXPECT_EQ(entries(folder), "");
  }
}

// Each path a run opens in a 150-byte current folder: one that fits works,
// one that would have to be cut is refused (65) before the message is begun,
// and the line names it.
TEST(long_paths_test, a_path_the_run_would_cut_is_refused_before_the_message_is_begun) {
  TempFolder dir;
  const fs::path folder = folder_of_length(dir, 150);
  // Copies in the work folder of 254 and 277 bytes.
  const std::string fits(95, 'f'), too_long(118, 'n');
  for (const std::string& name : {fits, too_long}) {
    write_bytes(folder / (name + ".txt"), "attached");
    write_bytes(folder / (name + ".gif"), "GIF89a");
    write_bytes(folder / (name + ".wav"), "RIFF");
  }
  struct case_t {
    const char* what;
    std::string argument_text;
    std::string said;  // empty when the run works
  };
  auto with_sound = [](const std::string& sound) {
    Call call;
    call.sound_file = sound;
    call.sound_loop = "Once";
    return call;
  };
  auto with_message = [](const std::string& message) {
    Call call;
    call.message_file = message;
    return call;
  };
  const std::string long_name = too_long + ".txt";
  const case_t cases[] = {
      {"an attachment", argument_text(Call{}, {}, {fits + ".txt"}), ""},
      {"an attachment whose copy is too long", argument_text(Call{}, {}, {long_name}),
       "the attachment '" + long_name + "' would be read from the work copy '" +
           (folder / "WRK" / long_name).string() + "', a path longer than 256 bytes"},
      {"a picture", argument_text(Call{}, {"<img src=3D\"" + fits + ".gif\">"}), ""},
      {"a picture too long", argument_text(Call{}, {"<img src=3D\"" + too_long + ".gif\">"}),
       "the picture '" + too_long +
           ".gif' has a path longer than 259 bytes from the current folder"},
      {"a sound", argument_text(with_sound(fits + ".wav")), ""},
      {"a sound too long", argument_text(with_sound(too_long + ".wav")),
       "the sound file '" + too_long +
           ".wav' has a path longer than 259 bytes from the current folder"},
      {"a message file too long", argument_text(with_message(too_long + ".eml")),
       "the message file '" + too_long +
           ".eml' has a path longer than 259 bytes from the current folder"},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(folder / "m.eml");
    const RunResult run = run_msgmake(folder, c.argument_text);
    if (c.said.empty()) {
      EXPECT_EQ(run.exit_code, 0) << run.err;
      EXPECT_NE(read_bytes(folder / "m.eml").find("base64"), std::string::npos);
    } else {
      EXPECT_EQ(run.exit_code, 65);
      EXPECT_EQ(run.err, "msgmake: " + c.said + "; nothing was written\n");
      EXPECT_FALSE(fs::exists(folder / "m.eml"));
    }
    EXPECT_TRUE(folder_is_empty(folder / "WRK"));
    EXPECT_EQ(entries(folder).find(".eml"),
              run.exit_code == 0 ? entries(folder).find("m.eml") + 1 : std::string::npos)
        << entries(folder);
  }
}
