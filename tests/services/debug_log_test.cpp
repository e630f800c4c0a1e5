#include "services/debug_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "tests/services/runtime_error_capture.h"
#include "tests/system_profile.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// Runs each test in a fresh current directory with a profile of its own, so
// the log the test makes is the only one there.
class debug_log_test : public testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() /
              ("debug_log_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    profile_.emplace(folder_ / "win.ini");
    write_profile("");
    svc::reset_debug_log();
  }
  void TearDown() override {
    svc::reset_debug_log();
    profile_.reset();
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }
  void write_profile(const std::string& auxtrace) {
    profile_->write("[Brindle 5 Tracing]\nauxtrace=" + auxtrace + "\n");
  }
  std::string log_text() {
    svc::reset_debug_log();  // closes the file
    return read_file(folder_ / "B5LOG.TXT");
  }

  fs::path previous_;
  fs::path folder_;
  std::optional<system_profile> profile_;
};

std::string captured;
void capture_output(const char* text, std::size_t length) { captured.append(text, length); }

TEST_F(debug_log_test, first_line_of_a_run_replaces_any_older_log) {
  std::ofstream(folder_ / "B5LOG.TXT") << "the log of an earlier run\n";
  svc::trace("Error @(File,Line) (%s, %d)\n", "CTLMAIN.CPP", 212);
  svc::trace("Warning: DeferWindowPos failed - low system resources.\n");
  EXPECT_EQ(log_text(),
            "Error @(File,Line) (CTLMAIN.CPP, 212)\n"
            "Warning: DeferWindowPos failed - low system resources.\n");
}

TEST_F(debug_log_test, a_log_that_is_a_link_is_not_written_through) {
  std::ofstream(folder_ / "outside.txt") << "not to be touched\n";
  fs::create_symlink("outside.txt", folder_ / "B5LOG.TXT");
  svc::trace("a line\n");
  svc::reset_debug_log();
  EXPECT_EQ(read_file(folder_ / "outside.txt"), "not to be touched\n");
  EXPECT_TRUE(fs::is_symlink(folder_ / "B5LOG.TXT"));
}

TEST_F(debug_log_test, a_run_without_lines_leaves_no_log) {
  svc::reset_debug_log();
  EXPECT_FALSE(fs::exists(folder_ / "B5LOG.TXT"));
}

TEST_F(debug_log_test, without_a_format_the_argument_is_the_text_itself) {
  svc::trace(nullptr, "100% literal %s\r\n");
  EXPECT_EQ(log_text(), "100% literal %s\r\n");
}

TEST_F(debug_log_test, error_trace_has_the_text_addresses_and_hyphens) {
  svc::trace_error("memory block free'd twice");
  std::string text = log_text();
  EXPECT_TRUE(life_test::is_error_trace(text, "memory block free'd twice")) << text;
  EXPECT_NE(text.find("\r\n----------------------------------\r\n"), std::string::npos);
}

TEST_F(debug_log_test, lines_after_the_stop_routine_are_dropped) {
  svc::trace_support_routine(0);
  svc::trace("kept\n");
  svc::trace_support_routine(1);
  svc::trace("dropped\n");
  EXPECT_EQ(read_file(folder_ / "B5LOG.TXT"), "kept\n");
}

TEST_F(debug_log_test, a_line_written_from_inside_the_writer_is_dropped) {
  captured.clear();
  svc::set_trace_output([](const char* text, std::size_t length) {
    captured.append(text, length);
    svc::trace("nested\n");
  });
  svc::trace("outer %d\n", 1);
  svc::trace("outer %d\n", 2);
  EXPECT_EQ(captured, "outer 1\nouter 2\n");
}

TEST_F(debug_log_test, replaced_output_gets_the_lines_and_null_restores_the_file) {
  captured.clear();
  svc::set_trace_output(&capture_output);
  svc::trace("to the hook\n");
  EXPECT_FALSE(fs::exists(folder_ / "B5LOG.TXT"));  // only the default output makes the log
  EXPECT_EQ(svc::set_trace_output(nullptr), &capture_output);
  svc::trace("to the file\n");
  EXPECT_EQ(captured, "to the hook\n");
  EXPECT_EQ(log_text(), "to the file\n");
}

TEST_F(debug_log_test, auxtrace_copies_every_line_to_standard_error) {
  write_profile("1");
  testing::internal::CaptureStderr();
  svc::trace("line %s\n", "one");
  svc::trace("line %s\n", "two");
  svc::reset_debug_log();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "line one\nline two\n");
  EXPECT_EQ(read_file(folder_ / "B5LOG.TXT"), "line one\nline two\n");
}

TEST_F(debug_log_test, empty_auxtrace_writes_nothing_to_standard_error) {
  testing::internal::CaptureStderr();
  svc::trace("quiet\n");
  svc::reset_debug_log();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
