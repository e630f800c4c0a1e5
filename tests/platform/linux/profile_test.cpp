// The system profile and private profiles named without a folder, as the
// platform layer finds them on Linux: WININI or the configuration folder, and
// the current directory.
#include "platform/profile.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/platform/scratch_folder.h"

using namespace plat;

namespace {

// Restores the variables a test changes.
class profile_location_test : public scratch_folder {
 protected:
  void SetUp() override {
    scratch_folder::SetUp();
    for (const char* name : {"WININI", "XDG_CONFIG_HOME"}) {
      const char* value = std::getenv(name);
      saved_.push_back({name, value != nullptr, value != nullptr ? value : ""});
    }
  }
  void TearDown() override {
    for (const saved_variable& v : saved_) {
      if (v.was_set)
        setenv(v.name, v.value.c_str(), 1);
      else
        unsetenv(v.name);
    }
    scratch_folder::TearDown();
  }
  struct saved_variable {
    const char* name;
    bool was_set;
    std::string value;
  };
  std::vector<saved_variable> saved_;
};

}  // namespace

TEST_F(profile_location_test, the_system_profile_is_named_by_wini_or_found_in_the_config_folder) {
  write_text("app.ini", "[BWASCII]\nProfile=1\n");
  setenv("WININI", at("app.ini").c_str(), 1);
  EXPECT_EQ(GetProfileIntA("BWASCII", "Profile", 0), 1u);
  char buffer[8];
  GetProfileStringA("Brindle 5 Tracing", "auxtrace", "", buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "");

  unsetenv("WININI");
  setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  write_text("win.ini", "[Brindle 5 Tracing]\nauxtrace=1\n");
  GetProfileStringA("Brindle 5 Tracing", "auxtrace", "", buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "1");
}

TEST_F(profile_location_test,
       a_private_profile_named_without_a_folder_is_in_the_current_directory) {
  write_text("here.ini", "[s]\nk=v\n");
  char buffer[8];
  GetPrivateProfileStringA("s", "k", "", buffer, sizeof buffer, "here.ini");
  EXPECT_STREQ(buffer, "v");
}

// A profile that is a FIFO would block the reader, and a huge one would fill
// the memory: the first counts as missing, the second is read to its first MiB.
TEST_F(profile_location_test, a_fifo_counts_as_missing_and_only_the_first_mib_is_read) {
  ASSERT_EQ(std::system("mkfifo fifo.ini"), 0);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iTime", 7, "fifo.ini"), 7u);
  setenv("WININI", at("fifo.ini").c_str(), 1);
  EXPECT_EQ(GetProfileIntA("intl", "iTime", 7), 7u);
  const std::string filler = "; " + std::string(1 << 20, 'x') + "\n";
  write_text("huge.ini", "[intl]\niTime=1\n" + filler + "iTLzero=0\n");
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iTime", 7, "huge.ini"), 1u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iTLzero", 7, "huge.ini"), 7u);
}
