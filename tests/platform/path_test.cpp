#include "platform/path.h"

#include <cstring>
#include <filesystem>

#include "platform/file.h"
#include "platform/last_error.h"
#include "scratch_folder.h"

using namespace plat;

namespace {

class path_test : public scratch_folder {
 protected:
  std::string full(const char* name) {
    char buffer[1024];
    DWORD n = GetFullPathNameA(name, sizeof buffer, buffer, nullptr);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : "<failed>";
  }
  std::string here() { return std::filesystem::current_path().string(); }
};

}  // namespace

TEST_F(path_test, full_path_resolves_dots_and_both_separators_without_touching_the_disk) {
  EXPECT_EQ(full("a\\b\\..\\c.txt"), here() + "/a/c.txt");
  EXPECT_EQ(full("/x//y/./z"), "/x/y/z");
  EXPECT_EQ(full("\\x\\y\\"), "/x/y/");  // a final separator stays
  EXPECT_EQ(full("/../.."), "/");
  EXPECT_EQ(full("name."), here() + "/name.");  // a final period stays
  EXPECT_EQ(full("."), here());
  EXPECT_EQ(GetFullPathNameA("", 10, nullptr, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

TEST_F(path_test, full_path_follows_the_buffer_rules_and_points_at_the_file_part) {
  char small[4] = "old";
  DWORD needed = GetFullPathNameA("/dir/file.txt", sizeof small, small, nullptr);
  EXPECT_EQ(needed, sizeof("/dir/file.txt"));  // the size with its NUL
  EXPECT_STREQ(small, "old");
  char buffer[64];
  LPSTR file_part = nullptr;
  EXPECT_EQ(GetFullPathNameA("/dir/file.txt", sizeof buffer, buffer, &file_part), needed - 1);
  EXPECT_STREQ(file_part, "file.txt");
  GetFullPathNameA("/dir/", sizeof buffer, buffer, &file_part);
  EXPECT_EQ(file_part, nullptr);
}

TEST_F(path_test, short_and_long_forms_of_an_existing_path_are_the_path_itself) {
  std::filesystem::create_directory("My Documents");
  write_text("My Documents/long file name.text", "");
  const char* name = "My Documents\\long file name.text";
  char buffer[260];
  EXPECT_EQ(GetShortPathNameA(name, buffer, sizeof buffer), std::strlen(name));
  EXPECT_STREQ(buffer, name);
  EXPECT_EQ(GetLongPathNameA(name, buffer, sizeof buffer), std::strlen(name));
  EXPECT_STREQ(buffer, name);
  EXPECT_EQ(GetShortPathNameA("My Documents\\none", buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetLongPathNameA("No Folder\\none", buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(path_test, current_directory_reports_its_size_and_changes) {
  DWORD needed = GetCurrentDirectoryA(0, nullptr);
  EXPECT_EQ(needed, here().size() + 1);
  char buffer[1024];
  EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), needed - 1);
  EXPECT_EQ(std::string(buffer), here());
  char tiny[2] = "x";
  EXPECT_EQ(GetCurrentDirectoryA(sizeof tiny, tiny), needed);
  EXPECT_STREQ(tiny, "x");

  std::filesystem::create_directories("one/two");
  ASSERT_TRUE(SetCurrentDirectoryA("one\\two"));
  EXPECT_EQ(std::filesystem::current_path(), root_ / "one" / "two");
  EXPECT_FALSE(SetCurrentDirectoryA("missing"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  write_text("plain", "");
  EXPECT_FALSE(SetCurrentDirectoryA("plain"));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
}

TEST_F(path_test, full_path_is_complete_resolves_dots_and_names_the_same_file) {
  std::filesystem::create_directories("a/b");
  write_text("a/c.txt", "x");
  std::string full_name = full("a\\b\\..\\c.txt");
  EXPECT_EQ(full_name.find(".."), std::string::npos) << full_name;
  EXPECT_EQ(full(full_name.c_str()), full_name);  // nothing more to resolve
  EXPECT_TRUE(std::filesystem::equivalent(full_name, root_ / "a" / "c.txt")) << full_name;
  EXPECT_TRUE(std::filesystem::equivalent(full("."), root_));
}

TEST_F(path_test, full_path_tells_the_size_needed_and_points_at_the_file_part) {
  std::string full_name = full("dir\\file.txt");
  DWORD needed = GetFullPathNameA("dir\\file.txt", 4, nullptr, nullptr);
  EXPECT_EQ(needed, full_name.size() + 1);  // the size with its NUL
  char buffer[1024];
  LPSTR file_part = nullptr;
  EXPECT_EQ(GetFullPathNameA("dir\\file.txt", sizeof buffer, buffer, &file_part), needed - 1);
  EXPECT_STREQ(file_part, "file.txt");
  GetFullPathNameA("dir\\", sizeof buffer, buffer, &file_part);
  EXPECT_EQ(file_part, nullptr);
}

TEST_F(path_test, the_long_form_of_the_short_form_is_the_long_form) {
  std::filesystem::create_directory("My Documents");
  write_text("My Documents/long file name.text", "");
  const char* name = "My Documents\\long file name.text";
  char short_name[260], back[260], long_name[260];
  ASSERT_GT(GetShortPathNameA(name, short_name, sizeof short_name), 0u);
  ASSERT_GT(GetLongPathNameA(short_name, back, sizeof back), 0u);
  ASSERT_GT(GetLongPathNameA(name, long_name, sizeof long_name), 0u);
  EXPECT_STREQ(back, long_name);
  EXPECT_NE(GetFileAttributesA(short_name), INVALID_FILE_ATTRIBUTES) << short_name;
  EXPECT_EQ(GetShortPathNameA("My Documents\\none", short_name, sizeof short_name), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetLongPathNameA("No Folder\\none", long_name, sizeof long_name), 0u);
}

// Where a name leads is judged by the system: the same file by any way of
// writing it, links followed; a folder holds its files.
TEST_F(path_test, final_path_is_where_a_name_leads) {
  std::filesystem::create_directories("d/sub");
  write_text("d/sub/f.txt", "x");
  const auto final = [](const char* name) {
    char buffer[1024];
    const DWORD n = GetFinalPathNameA(name, buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : "<failed>";
  };
  const std::string file = final("d/sub/f.txt");
  EXPECT_TRUE(std::filesystem::equivalent(file, "d/sub/f.txt")) << file;
  EXPECT_TRUE(std::filesystem::path(file).is_absolute()) << file;
  EXPECT_EQ(final("d\\.\\sub\\..\\sub\\f.txt"), file);
  EXPECT_EQ(final(at("d/sub/f.txt").c_str()), file);
  const std::string folder = final("d");
  EXPECT_EQ(file.substr(0, folder.size()), folder);
  EXPECT_EQ(file.size(), folder.size() + std::strlen("/sub/f.txt")) << file;
#ifndef _WIN32
  std::filesystem::create_directory_symlink("d/sub", "link");
  EXPECT_EQ(final("link/f.txt"), file);
#endif
  char small[4] = "old";
  EXPECT_EQ(GetFinalPathNameA("d/sub/f.txt", small, sizeof small), file.size() + 1);
  EXPECT_STREQ(small, "old");
  EXPECT_EQ(GetFinalPathNameA("d/none", small, sizeof small), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFinalPathNameA("none/f.txt", small, sizeof small), 0u);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}
