#include "runtime/ini.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "runtime/string_stack.h"
#include "tests/system_profile.h"

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
    system_.emplace(folder_ / "win.ini");
    system_->write("[Settings]\nSeparator=.\n");
  }
  ~Profiles() {
    system_.reset();
    fs::remove_all(folder_);
  }
  std::string file() const { return (folder_ / "app.ini").string(); }

 private:
  fs::path folder_;
  std::optional<system_profile> system_;
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
  // Not [intl]: Windows keeps that section of WIN.INI in its registry.
  EXPECT_EQ(getini("Settings", "Separator", ":", ""), ".");
  EXPECT_EQ(getini("Settings", "Missing", "/", ""), "/");
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
