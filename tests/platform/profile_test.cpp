#include "platform/profile.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/last_error.h"
#include "scratch_folder.h"

using namespace plat;

namespace {

const char* const sample =
    "; settings of the test\r\n"
    "[Intl]\r\n"
    "sTime = :\r\n"
    "iTime=1\r\n"
    "sShortDate=\"dd/MM/yyyy\"\r\n"
    "; sLongDate=ignored\r\n"
    "iNegative=-5\r\n"
    "iHex=0x1F\r\n"
    "iWord=abc\r\n"
    "[BWASCII]\r\n"
    "Profile=1\r\n"
    "TraceFile=\r\n"
    "[intl]\r\n"
    "iTime=9\r\n";

class profile_test : public scratch_folder {
 protected:
  void SetUp() override {
    scratch_folder::SetUp();
    write_text("app.ini", sample);
    const char* old = std::getenv("WININI");
    had_wini_ = old != nullptr;
    if (had_wini_) old_wini_ = old;
  }
  void TearDown() override {
    if (had_wini_)
      setenv("WININI", old_wini_.c_str(), 1);
    else
      unsetenv("WININI");
    scratch_folder::TearDown();
  }
  std::string value(const char* section, const char* key, const char* fallback = "dflt") {
    char buffer[128];
    DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, "app.ini");
    EXPECT_EQ(n, std::strlen(buffer));
    return buffer;
  }
  bool had_wini_ = false;
  std::string old_wini_;
};

}  // namespace

TEST_F(profile_test, sections_and_keys_match_without_regard_to_case) {
  EXPECT_EQ(value("intl", "STIME"), ":");
  EXPECT_EQ(value("INTL", "itime"), "1");                // the first section of that name wins
  EXPECT_EQ(value("intl", "sShortDate"), "dd/MM/yyyy");  // quotes removed
  EXPECT_EQ(value("bwascii", "TraceFile"), "");          // present but empty: not the default
}

TEST_F(profile_test, missing_file_section_or_key_and_comments_give_the_default) {
  EXPECT_EQ(value("intl", "sLongDate"), "dflt");
  EXPECT_EQ(value("nosuch", "iTime"), "dflt");
  EXPECT_EQ(value("intl", "none", "keep   "), "keep");  // trailing blanks of the default go
  char buffer[16];
  EXPECT_EQ(GetPrivateProfileStringA("intl", "iTime", "d", buffer, sizeof buffer, "none.ini"), 1u);
  EXPECT_STREQ(buffer, "d");
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(profile_test, values_are_cut_to_the_buffer) {
  char buffer[5];
  EXPECT_EQ(GetPrivateProfileStringA("intl", "sShortDate", "", buffer, sizeof buffer, "app.ini"),
            4u);
  EXPECT_STREQ(buffer, "dd/M");
}

TEST_F(profile_test, a_stray_nul_byte_ends_its_line) {
  write_text("nul.ini", std::string("[s]\nkey=ab\0cd\nnext=1\n", 22));
  char buffer[16];
  EXPECT_EQ(GetPrivateProfileStringA("s", "key", "", buffer, sizeof buffer, "nul.ini"), 2u);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(GetPrivateProfileIntA("s", "next", 0, "nul.ini"), 1u);
}

TEST_F(profile_test, integers_read_the_leading_number) {
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iTime", 7, "app.ini"), 1u);
  EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntA("intl", "iNegative", 7, "app.ini")), -5);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iHex", 7, "app.ini"), 31u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iWord", 7, "app.ini"), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iMissing", 7, "app.ini"), 7u);
}

TEST_F(profile_test, null_section_or_key_lists_the_names) {
  char buffer[64];
  DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, "app.ini");
  EXPECT_EQ(std::string(buffer, n), std::string("Intl\0BWASCII\0", 13));
  n = GetPrivateProfileStringA("bwascii", nullptr, "", buffer, sizeof buffer, "app.ini");
  EXPECT_EQ(std::string(buffer, n + 1), std::string("Profile\0TraceFile\0\0", 19));
}

TEST_F(profile_test, the_system_profile_is_named_by_wini_or_found_in_the_config_folder) {
  setenv("WININI", at("app.ini").c_str(), 1);
  EXPECT_EQ(GetProfileIntA("BWASCII", "Profile", 0), 1u);
  char buffer[8];
  GetProfileStringA("Brindle 5 Tracing", "auxtrace", "", buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "");

  unsetenv("WININI");
  std::string old_config = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  write_text("win.ini", "[Brindle 5 Tracing]\nauxtrace=1\n");
  GetProfileStringA("Brindle 5 Tracing", "auxtrace", "", buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "1");
  if (old_config.empty())
    unsetenv("XDG_CONFIG_HOME");
  else
    setenv("XDG_CONFIG_HOME", old_config.c_str(), 1);
}

// A profile that is a FIFO would block the reader, and a huge one would fill
// the memory: the first counts as missing, the second is read to its first MiB.
TEST_F(profile_test, a_fifo_counts_as_missing_and_only_the_first_mib_is_read) {
  ASSERT_EQ(std::system("mkfifo fifo.ini"), 0);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iTime", 7, "fifo.ini"), 7u);
  setenv("WININI", at("fifo.ini").c_str(), 1);
  EXPECT_EQ(GetProfileIntA("intl", "iTime", 7), 7u);
  const std::string filler = "; " + std::string(1 << 20, 'x') + "\n";
  write_text("huge.ini", "[intl]\niTime=1\n" + filler + "iTLzero=0\n");
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iTime", 7, "huge.ini"), 1u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iTLzero", 7, "huge.ini"), 7u);
}
