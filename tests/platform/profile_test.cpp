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
    ini_ = at("app.ini");  // by its full name: the systems look for bare names elsewhere
  }
  std::string value(const char* section, const char* key, const char* fallback = "dflt") {
    char buffer[128];
    DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, ini_.c_str());
    EXPECT_EQ(n, std::strlen(buffer));
    return buffer;
  }
  std::string ini_;
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
}

TEST_F(profile_test, a_missing_profile_file_leaves_last_error_2) {
  char buffer[16];
  GetPrivateProfileStringA("intl", "iTime", "d", buffer, sizeof buffer, at("none.ini").c_str());
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(profile_test, values_are_cut_to_the_buffer) {
  char buffer[5];
  EXPECT_EQ(GetPrivateProfileStringA("intl", "sShortDate", "", buffer, sizeof buffer, ini_.c_str()),
            4u);
  EXPECT_STREQ(buffer, "dd/M");
}

TEST_F(profile_test, a_stray_nul_byte_ends_its_line) {
  write_text("nul.ini", std::string("[s]\nkey=ab\0cd\nnext=1\n", 22));
  char buffer[16];
  const std::string nul_ini = at("nul.ini");
  EXPECT_EQ(GetPrivateProfileStringA("s", "key", "", buffer, sizeof buffer, nul_ini.c_str()), 2u);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(GetPrivateProfileIntA("s", "next", 0, nul_ini.c_str()), 1u);
}

TEST_F(profile_test, integers_read_the_leading_number) {
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iTime", 7, ini_.c_str()), 1u);
  EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntA("intl", "iNegative", 7, ini_.c_str())), -5);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iHex", 7, ini_.c_str()), 31u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iWord", 7, ini_.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "iMissing", 7, ini_.c_str()), 7u);
}

TEST_F(profile_test, a_null_section_lists_sections_differing_only_in_case_once) {
  char buffer[64];
  DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, ini_.c_str());
  EXPECT_EQ(std::string(buffer, n), std::string("Intl\0BWASCII\0", 13));
}

TEST_F(profile_test, null_section_or_key_lists_the_names) {
  char buffer[64];
  write_text("two.ini", "[One]\na=1\n[Two]\nb=2\n");
  DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, at("two.ini").c_str());
  EXPECT_EQ(std::string(buffer, n), std::string("One\0Two\0", 8));
  n = GetPrivateProfileStringA("bwascii", nullptr, "", buffer, sizeof buffer, ini_.c_str());
  EXPECT_EQ(std::string(buffer, n + 1), std::string("Profile\0TraceFile\0\0", 19));
}
