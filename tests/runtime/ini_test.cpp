#include "runtime/ini.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/string_stack.h"

namespace {

using namespace rt;
namespace fs = std::filesystem;

// A profile file in a fresh temporary folder, and WININI pointing at a second
// one, for the length of a test.
class Profiles {
 public:
  Profiles() {
    folder_ = fs::temp_directory_path() /
              (std::string("ini_test_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
    std::ofstream(folder_ / "app.ini") << "[Paths]\nWork=C:\\work\\\nLong=" << std::string(2000, 'v')
                                       << "\n[Other]\nWork=no\n";
    std::ofstream(folder_ / "win.ini") << "[intl]\nsTime=.\n";
    const char* old = std::getenv("WININI");
    had_winini_ = old != nullptr;
    if (had_winini_) old_winini_ = old;
    setenv("WININI", (folder_ / "win.ini").c_str(), 1);
  }
  ~Profiles() {
    if (had_winini_) {
      setenv("WININI", old_winini_.c_str(), 1);
    } else {
      unsetenv("WININI");
    }
    fs::remove_all(folder_);
  }
  std::string file() const { return (folder_ / "app.ini").string(); }

 private:
  fs::path folder_;
  bool had_winini_ = false;
  std::string old_winini_;
};

std::string getini(const std::string& section, const std::string& entry,
                   const std::string& fallback, const std::string& file) {
  StringStack& stack = string_stack();
  stack.reset();
  for (const std::string* s : {&section, &entry, &fallback, &file}) {
    stack.push_borrowed(s->data(), static_cast<uint32_t>(s->size()));
  }
  GETINI();
  EXPECT_EQ(stack.depth(), 1u);
  const std::string value(stack.peek().text, stack.peek().length);
  stack.reset();
  return value;
}

TEST(ini_test, reads_a_named_profile_file) {
  Profiles profiles;
  EXPECT_EQ(getini("Paths", "Work", "none", profiles.file()), "C:\\work\\");
  EXPECT_EQ(getini("paths  ", "WORK  ", "none", profiles.file() + "   "), "C:\\work\\");
  EXPECT_EQ(getini("Other", "Work", "none", profiles.file()), "no");
}

TEST(ini_test, missing_file_section_or_entry_gives_the_default) {
  Profiles profiles;
  EXPECT_EQ(getini("Paths", "Missing", "fallback", profiles.file()), "fallback");
  EXPECT_EQ(getini("Nowhere", "Work", "fallback", profiles.file()), "fallback");
  EXPECT_EQ(getini("Paths", "Work", "fallback", profiles.file() + ".absent"), "fallback");
  EXPECT_EQ(getini("Paths", "Work", "", profiles.file() + ".absent"), "");
}

TEST(ini_test, empty_file_name_reads_the_system_profile) {
  Profiles profiles;
  EXPECT_EQ(getini("intl", "sTime", ":", ""), ".");
  EXPECT_EQ(getini("intl", "sDate", "/", ""), "/");
}

TEST(ini_test, over_long_values_and_defaults_are_cut) {
  Profiles profiles;
  EXPECT_EQ(getini("Paths", "Long", "", profiles.file()), std::string(kIniValueMax, 'v'));
  const std::string long_default(3000, 'd');
  EXPECT_EQ(getini("Paths", "Missing", long_default, profiles.file()), std::string(kIniDefaultMax, 'd'));
  // Over-long section and entry names are cut, never overrun.
  EXPECT_EQ(getini(std::string(500, 's'), std::string(500, 'e'), "x", profiles.file()), "x");
}

}  // namespace
