#include "drivers/file_names.h"

#include "drivers/full_path.h"
#include "drivers/operation_codes.h"
#include "services/error_state.h"
#include "tests/drivers/record_file_fixture.h"

using namespace drv;
using drv_test::DeclaredFile;

namespace {

class file_names_test : public drv_test::RecordFileTest {
 protected:
  std::string expand(const char* name, const char* extension = ".") {
    char out[kFullPathSize];
    uint32_t error = expand_full_path(name, extension, out);
    return error ? "error " + std::to_string(error) : std::string(out);
  }
};

TEST_F(file_names_test, relative_names_join_the_current_directory) {
  EXPECT_EQ(expand("name"), path("name") + ".");
  EXPECT_EQ(expand("name.txt"), path("name.txt"));
  EXPECT_EQ(expand("sub\\name.txt"), path("sub\\name.txt"));
  EXPECT_EQ(expand("name", "log"), path("name") + ".log");
  EXPECT_EQ(expand("name.", "log"), path("name."));
  EXPECT_EQ(expand("dir.d\\name", "log"), path("dir.d\\name") + ".log");
}

TEST_F(file_names_test, double_separator_and_absolute_names_are_not_joined) {
  EXPECT_EQ(expand("\\\\server\\share\\f.txt"), "\\\\server\\share\\f.txt");
  EXPECT_EQ(expand("//server/f"), "//server/f.");
  EXPECT_EQ(expand("/abs/f.txt"), "/abs/f.txt");
  EXPECT_EQ(expand("C:\\work\\f.txt"), "C:\\work\\f.txt");  // a drive's root
  EXPECT_EQ(expand("z:/work/f"), "z:/work/f.");
}

TEST_F(file_names_test, names_of_260_characters_are_invalid) {
  EXPECT_EQ(expand(std::string(260, 'n').c_str()), "error 45");
  EXPECT_EQ(extension_of("a.b\\c"), nullptr);
  EXPECT_STREQ(extension_of("a\\b.c"), "c");
}

TEST_F(file_names_test, copy_into_a_directory_keeps_the_file_name) {
  write_file("src.txt", "data");
  std::filesystem::create_directory(path("dir"));
  EXPECT_EQ(copy_file(path("src.txt").c_str(), "dir", 3), 0);
  EXPECT_EQ(read_file("dir/src.txt"), "data");
  EXPECT_EQ(copy_file(path("src.txt").c_str(), "dir\\", 4), 0);
  EXPECT_EQ(read_file("src.txt"), "data");
}

TEST_F(file_names_test, copy_to_a_new_name_takes_the_source_extension) {
  write_file("src.txt", "data");
  EXPECT_EQ(copy_file(path("src.txt").c_str(), "copy", 4), 0);
  EXPECT_EQ(read_file("copy.txt"), "data");
  write_file("copy2.txt", "old");
  EXPECT_EQ(copy_file(path("src.txt").c_str(), "copy2.txt", 9), 0);  // replaced
  EXPECT_EQ(read_file("copy2.txt"), "data");
}

TEST_F(file_names_test, copy_onto_itself_does_nothing) {
  write_file("src.txt", "data");
  std::string upper = folder_.string() + "/SRC.TXT";
  EXPECT_EQ(copy_file(path("src.txt").c_str(), folder_.string().c_str(),
                      uint32_t(folder_.string().size())),
            0);
  EXPECT_EQ(read_file("src.txt"), "data");
  EXPECT_EQ(copy_file(path("src.txt").c_str(), upper.c_str(), uint32_t(upper.size())), 0);
  EXPECT_FALSE(std::filesystem::exists(upper));
}

TEST_F(file_names_test, rename_moves_and_reports_missing_files) {
  write_file("a.txt", "data");
  EXPECT_EQ(rename_file(path("a.txt").c_str(), "b.txt", 5), 0);
  EXPECT_EQ(read_file("b.txt"), "data");
  EXPECT_EQ(rename_file(path("a.txt").c_str(), "c.txt", 5), 2);
  EXPECT_EQ(remove_file(path("b.txt").c_str()), 0);
  EXPECT_EQ(remove_file(path("b.txt").c_str()), 2);
  EXPECT_EQ(remove_file(path("nodir/b.txt").c_str()), 3);
}

TEST_F(file_names_test, rename_and_copy_of_a_declared_file_discard_its_instance) {
  write_file("a.txt", "data");
  DeclaredFile f;
  f.text("a.txt");
  f.call_with_text(OP_COPY, "b.txt");
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(f.decl.instance, nullptr);
  f.call_with_text(OP_RENAME, "c.txt");
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(read_file("b.txt"), "data");
  EXPECT_EQ(read_file("c.txt"), "data");
  EXPECT_FALSE(std::filesystem::exists(path("a.txt")));
  f.call_with_text(OP_RENAME, "");  // empty: nothing happens
  EXPECT_EQ(error_code(), 0);
}

TEST_F(file_names_test, statements_on_names_pop_their_arguments) {
  write_file("a.txt", "data");
  rt::string_stack().push_cstring("b.txt");
  rt::string_stack().push_cstring("a.txt");
  COPY();
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(read_file("b.txt"), "data");
  rt::string_stack().push_cstring("a.txt   ");
  REMOVE();
  EXPECT_EQ(error_code(), 0);
  rt::string_stack().push_cstring("a.txt");
  REMOVE();
  EXPECT_EQ(error_code(), svc::err::file_not_found);
  EXPECT_EQ(rt::string_stack().depth(), 0u);
}

}  // namespace

// Into a folder the file keeps its name or is not copied: no file named by
// the extension alone is made in its place.
TEST_F(file_names_test, failed_copy_into_a_folder_makes_no_other_file) {
  write_file("src.gif", "data");
  std::filesystem::create_directories(path("dir/src.gif"));  // the target's name is taken by a folder
  EXPECT_NE(copy_file(path("src.gif").c_str(), "dir\\", 4), 0);
  EXPECT_FALSE(std::filesystem::exists(path("dir/.gif")));
}
