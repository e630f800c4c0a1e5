#include "runtime/directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/last_error.h"
#include "runtime/string_stack.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace {

using namespace rt;
namespace fs = std::filesystem;

// A fresh temporary folder that is also the current directory for the test.
class Folder {
 public:
  Folder() : previous_(fs::current_path()) {
    path_ = fs::temp_directory_path() /
            (std::string("directory_test_") +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
    path_ = fs::canonical(path_);
    fs::current_path(path_);
    directory_errors().reset();
  }
  ~Folder() {
    fs::current_path(previous_);
    fs::remove_all(path_);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::string str() const { return path_.string(); }

 private:
  fs::path previous_;
  fs::path path_;
};

std::string short_form(const std::string& path) {
  char out[kPathMax + 1];
  return std::string(out, short_path_of(path, out));
}

std::string long_form(const std::string& path) {
  char out[kPathMax + 1];
  return std::string(out, long_path_of(path, out));
}

std::string by_rule(const std::string& path) {
  char out[kShortPathLimit];
  return std::string(out, short_path_by_rule(path, out));
}

TEST(directory_test, current_directory_with_and_without_a_buffer) {
  Folder here;
  char buffer[kPathMax + 1];
  ASSERT_EQ(current_directory(buffer, sizeof buffer), buffer);
  EXPECT_EQ(std::string(buffer), here.str());
  char* block = current_directory(nullptr, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::string(block), here.str());
  svc::release(block);
}

TEST(directory_test, current_directory_too_long_for_the_buffer_gives_34) {
  Folder here;
  char small[4];
  EXPECT_EQ(current_directory(small, sizeof small), nullptr);
  EXPECT_EQ(directory_errors().number(), kRangeErrorNumber);
  directory_errors().reset();
  svc::HeapFailureGuard fail_next;
  EXPECT_EQ(current_directory(nullptr, 0), nullptr);
  EXPECT_EQ(directory_errors().number(), kNoMemoryErrorNumber);
}

TEST(directory_test, create_one_level_only) {
  Folder here;
  EXPECT_EQ(create_directory((here / "WRK").c_str()), 0);
  EXPECT_TRUE(fs::is_directory(here / "WRK"));
  EXPECT_EQ(create_directory((here / "WRK").c_str()), -1);
  EXPECT_EQ(directory_errors().number(), int32_t(plat::ERROR_ALREADY_EXISTS));
  EXPECT_EQ(create_directory((here / "a/b").c_str()), -1);
  EXPECT_EQ(directory_errors().number(), int32_t(plat::ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(create_directory("rel"), 0);
  EXPECT_TRUE(fs::is_directory(here / "rel"));
}

TEST(directory_test, short_form_of_an_existing_path_is_the_path) {
  Folder here;
  fs::create_directories(here / "Long Folder Name/sub");
  EXPECT_EQ(short_form(here / "Long Folder Name/sub"), here / "Long Folder Name/sub");
  EXPECT_EQ(short_form(""), here.str());
  // A path the system cannot shorten comes back as given.
  EXPECT_EQ(short_form(here / "missing/x y"), here / "missing/x y");
}

TEST(directory_test, short_form_by_rule) {
  EXPECT_EQ(by_rule("my report.textfile"), "my_repor.tex");
  EXPECT_EQ(by_rule("C:/Program Files/a+b,c;d=e[f]g.h"), "C:\\Program_\\a_b_c_d_.h");
  EXPECT_EQ(by_rule("dir:x/name"), "dir_x\\name");
  EXPECT_EQ(by_rule("a.b.c"), "a.b.c");
  EXPECT_EQ(by_rule("../.x"), "..\\.x");
  EXPECT_EQ(by_rule(""), "");
  const std::string deep(400, 'a');
  EXPECT_EQ(by_rule(deep), std::string(8, 'a'));
  std::string many;
  for (int i = 0; i < 50; ++i) many += "abcdefghij/";
  EXPECT_LE(by_rule(many).size(), kShortPathLimit - 1);
}

TEST(directory_test, long_form_spells_components_as_stored) {
  Folder here;
  fs::create_directories(here / "Folder/Sub");
  EXPECT_EQ(long_form(here / "folder/SUB"), here / "Folder/Sub");
  EXPECT_EQ(long_form(here / "Folder/Sub"), here / "Folder/Sub");
  EXPECT_EQ(long_form("folder\\sub"), here.str() + "/Folder/Sub");
  EXPECT_EQ(long_form("./folder/../FOLDER"), here / "Folder");
  EXPECT_EQ(long_form(""), here.str());
}

TEST(directory_test, long_form_keeps_missing_and_ambiguous_components) {
  Folder here;
  fs::create_directories(here / "Folder/Sub");
  fs::create_directories(here / "Dup");
  fs::create_directories(here / "dup");
  EXPECT_EQ(long_form(here / "FOLDER/missing/sub"), here / "Folder/missing/sub");
  EXPECT_EQ(long_form(here / "DUP"), here / "DUP");
  EXPECT_EQ(long_form(here / "Fold*"), here / "Fold*");
}

TEST(directory_test, conversions_on_the_stack_clear_the_error_and_cut_the_argument) {
  Folder here;
  fs::create_directories(here / "Folder");
  StringStack& stack = string_stack();
  stack.reset();
  svc::error_state().post(svc::err::file_not_found);
  const std::string asked = (here / "FOLDER") + "    ";
  stack.push_borrowed(asked.data(), static_cast<uint32_t>(asked.size()));
  long_path();
  EXPECT_EQ(svc::error_state().code(), 0);
  ASSERT_EQ(stack.depth(), 1u);
  EXPECT_EQ(std::string(stack.peek().text, stack.peek().length), here / "Folder");
  stack.reset();
  const std::string huge = here.str() + "/" + std::string(600, 'x');
  stack.push_borrowed(huge.data(), static_cast<uint32_t>(huge.size()));
  short_path();
  ASSERT_EQ(stack.depth(), 1u);
  EXPECT_EQ(std::string(stack.peek().text, stack.peek().length), huge.substr(0, kPathMax));
  stack.reset();
}

}  // namespace
