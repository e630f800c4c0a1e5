// What a calling program sees: the command-line form, the exit codes, the one
// line on standard error when something failed, and what is left on disk.
#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

// Exactly one line, naming the program first.
void expect_one_error_line(const RunResult& run) {
  EXPECT_EQ(run.err.rfind("msgmake: ", 0), 0u) << run.err;
  ASSERT_FALSE(run.err.empty());
  EXPECT_EQ(run.err.back(), '\n');
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

}  // namespace

TEST(exit_status_test, help_and_version_print_on_standard_output) {
  TempFolder dir;
  for (const char* option : {"--help", "-h"}) {
    const RunResult run = run_msgmake_args(dir.path(), {option});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_NE(run.out.find("MakeEMLAttachmentFileSW("), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "");
  }
  const RunResult version = run_msgmake_args(dir.path(), {"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out.rfind("msgmake ", 0), 0u) << version.out;
  EXPECT_FALSE(std::filesystem::exists(dir / "WRK")) << "options must not start a run";
}

TEST(exit_status_test, success_is_zero_and_silent) {
  TempFolder dir;
  const RunResult run = run_msgmake(dir.path(), argument_text(Call{}));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(std::filesystem::exists(dir / "m.eml"));
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
}

TEST(exit_status_test, empty_or_unusable_call_text_is_a_usage_error) {
  const std::string not_calling[] = {
      "",                                       // no argument text at all
      "MakeEMLAttachmentFileSW('m.eml','0'",    // does not compile
      "NoSuchProcedure('m.eml')",               // unknown name
      "1+1",                                    // valid, but writes nothing
      "-5 " + call_text(Call{}),                // a minus sign is not a leading number
  };
  for (const std::string& text : not_calling) {
    TempFolder dir;
    const RunResult run = run_msgmake(dir.path(), text);
    EXPECT_EQ(run.exit_code, 64) << text;
    expect_one_error_line(run);
    EXPECT_FALSE(std::filesystem::exists(dir / "m.eml")) << text;
  }
}

// A call that leaves out trailing arguments runs with them empty: its draft
// is, byte for byte, the draft of the whole call with those arguments empty.
TEST(exit_status_test, absent_trailing_arguments_arrive_empty) {
  const Call none = {"m.eml", "", "", "", "", "", "", "", "", "", "", "", ""};
  Call two = none, twelve = {"m.eml", "0", "ann@example.com", "Report", "0", "Arial", "0", "3", "", "", "", "", ""};
  two.unused = "0";
  const struct {
    const char* text;
    Call whole;
  } cases[] = {
      {"MakeEMLAttachmentFileSW('m.eml')", none},
      {"MakeEMLAttachmentFileSW('m.eml','0')", two},
      {"makeemlattachmentfilesw('m.eml','0')", two},
      {"MakeEMLAttachmentFileSW('m.eml','0','ann@example.com','Report','0','Arial','0','3','','','','')", twelve},
  };
  for (const auto& c : cases) {
    TempFolder short_call, whole_call;
    const RunResult run = run_msgmake(short_call.path(), c.text);
    ASSERT_EQ(run.exit_code, 0) << c.text << ": " << run.err;
    EXPECT_EQ(run.err, "") << c.text;
    ASSERT_EQ(run_msgmake(whole_call.path(), call_text(c.whole)).exit_code, 0) << c.text;
    EXPECT_EQ(read_bytes(short_call / "m.eml"), read_bytes(whole_call / "m.eml")) << c.text;
  }
}

// The line names the evaluator's error; a text that holds no call at all,
// most likely meant as options or file names, is also pointed to the help.
TEST(exit_status_test, invalid_expression_names_the_evaluator_error) {
  const struct {
    const char* text;
    const char* says;
    bool points_to_help;
  } cases[] = {
      {"MakeEMLAttachmentFileSW('m.eml", "the call text cannot be run: Invalid expression for EVALUATE", false},
      {"report.pdf", "Invalid expression for EVALUATE; it holds no call of MakeEMLAttachmentFileSW", true},
      {"1+1", "the call text does not call MakeEMLAttachmentFileSW; nothing was written", true},
      {"makeemlattachmentfilesw(", "Invalid expression for EVALUATE", false},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    const RunResult run = run_msgmake(dir.path(), c.text);
    EXPECT_EQ(run.exit_code, 64) << c.text;
    expect_one_error_line(run);
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.text << ": " << run.err;
    EXPECT_EQ(run.err.find("'msgmake --help'") != std::string::npos, c.points_to_help) << c.text << ": " << run.err;
  }
}

// A missing attachment must leave no half-written draft for a client to open,
// and no copy behind in the work folder.
TEST(exit_status_test, unreadable_attachment_removes_the_incomplete_draft) {
  TempFolder dir;
  write_bytes(dir / "first.bin", "first");
  const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {"line"}, {"first.bin", "missing.pdf"}));
  EXPECT_EQ(run.exit_code, 66);
  EXPECT_EQ(run.err, "msgmake: cannot read attachment 'missing.pdf': File Not Found\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "m.eml"));
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
  EXPECT_EQ(read_bytes(dir / "first.bin"), "first");
}

TEST(exit_status_test, unwritable_message_file_exits_73) {
  TempFolder dir;
  Call call;
  call.message_file = "no/such/folder/m.eml";
  const RunResult run = run_msgmake(dir.path(), argument_text(call));
  EXPECT_EQ(run.exit_code, 73);
  expect_one_error_line(run);
  EXPECT_NE(run.err.find("'no/such/folder/m.eml'"), std::string::npos) << run.err;
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
}

// The example line: leading number, call, two body lines, two file names.
TEST(exit_status_test, leading_number_body_lines_and_files_split_apart) {
  TempFolder dir;
  write_bytes(dir / "a.pdf", "pdf bytes");
  write_bytes(dir / "b.zip", "zip bytes");
  const RunResult run = run_msgmake(dir.path(), "7 " + argument_text(Call{}, {"one", "two"}, {"a.pdf", "b.zip"}));
  EXPECT_EQ(run.exit_code, 0) << run.err;
  Expected e;
  e.plain = {"one", "two"};
  e.body = {"one<br>", "two<br>"};
  e.parts = attachment_part("a.pdf", "pdf bytes", "application/pdf");
  append(e.parts, attachment_part("b.zip", "zip bytes", "application/zip"));
  EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(e));
}

TEST(exit_status_test, single_line_delimiter_cuts_the_call_but_adds_no_line) {
  TempFolder dir;
  const RunResult run = run_msgmake(dir.path(), "12   " + call_text(Call{}) + kLineDelimiter + "tail");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(Expected{}));
}

// The program's command line is its arguments joined by single spaces, so a
// caller may also pass the pieces as separate arguments.
TEST(exit_status_test, arguments_are_joined_with_single_spaces) {
  TempFolder dir;
  Call call;
  call.subject = "a b";
  const std::string text = call_text(call);
  const size_t space = text.find(' ');
  const RunResult run = run_msgmake_args(dir.path(), {"7", text.substr(0, space), text.substr(space + 1)});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  Expected e;
  e.subject_line = "Subject: a b";
  EXPECT_EQ(read_bytes(dir / "m.eml"), expected_message(e));
}

TEST(exit_status_test, work_folder_that_exists_already_is_reused) {
  TempFolder dir;
  std::filesystem::create_directory(dir / "WRK");
  write_bytes(dir / "x.bin", "x");
  const RunResult run = run_msgmake(dir.path(), argument_text(Call{}, {}, {"x.bin"}));
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(folder_is_empty(dir / "WRK"));
}
