#include "services/runtime_error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "services/error_state.h"
#include "services/process_state.h"
#include "tests/services/runtime_error_capture.h"

namespace {

using life_test::RuntimeErrorCapture;

const std::string question = "\nDo you want to GPF?";

int cleanups = 0;
void count_cleanup() { ++cleanups; }

TEST(runtime_error_test, number_alone_shows_its_message_and_the_question) {
  RuntimeErrorCapture capture;
  svc::raise_runtime_error(537);
  ASSERT_EQ(capture.boxes().size(), 1u);
  EXPECT_EQ(capture.boxes()[0].text, "ACCEPT loop requires a window" + question);
  EXPECT_EQ(capture.boxes()[0].caption, "Runtime error");
  EXPECT_EQ(capture.boxes()[0].type, plat::MB_YESNO | plat::MB_ICONHAND | plat::MB_DEFBUTTON2);
  EXPECT_EQ(svc::error_state().code(), svc::err::accept_needs_window);
}

std::string told;
size_t boxes_when_told = 0;
void tell(const char* text) {
  told = text;
  boxes_when_told = RuntimeErrorCapture::boxes().size();
}

TEST(runtime_error_test, the_notice_is_told_the_box_text_without_its_question_first) {
  RuntimeErrorCapture capture;
  svc::set_runtime_error_notice(&tell);
  svc::raise_runtime_error(501, "Out of memory in BRIARRAY!");
  svc::set_runtime_error_notice(nullptr);
  EXPECT_EQ(told, "Internal error 01 : Out of memory in BRIARRAY!");
  EXPECT_EQ(boxes_when_told, 0u);
  EXPECT_EQ(capture.boxes().size(), 1u);
}

TEST(runtime_error_test, number_zero_shows_only_the_extra_text) {
  RuntimeErrorCapture capture;
  svc::error_state().post(svc::err::record_not_available);
  svc::raise_runtime_error(0, "Mismatched POPSCOPE");
  EXPECT_EQ(capture.boxes().at(0).text, "Mismatched POPSCOPE" + question);
  EXPECT_EQ(svc::error_state().code(),
            svc::err::record_not_available);  // no number: the error code is left alone
}

TEST(runtime_error_test, number_and_extra_text_are_joined) {
  RuntimeErrorCapture capture;
  svc::raise_runtime_error(501, "Out of memory in BRIARRAY!");
  EXPECT_EQ(capture.boxes().at(0).text, "Internal error 01 : Out of memory in BRIARRAY!" + question);
  svc::raise_runtime_error(802, "Mismatched POPSCOPE");
  EXPECT_EQ(capture.boxes().at(1).text,
            "Mismatched PUSHSCOPE/POPSCOPE : Mismatched POPSCOPE" + question);
}

TEST(runtime_error_test, message_loses_trailing_blanks_and_is_cut_at_79) {
  RuntimeErrorCapture capture;
  svc::raise_runtime_error(78, "x");  // "Invalid Number Of Parameters " ends in a blank
  EXPECT_EQ(capture.boxes().at(0).text, "Invalid Number Of Parameters : x" + question);
  svc::error_state().set_message_override([](std::int32_t code, std::string_view* text) {
    static const std::string long_text(100, 'M');
    if (code != svc::err::printer_open_failed) return false;
    *text = long_text;
    return true;
  });
  svc::raise_runtime_error(524, "LPT1");
  EXPECT_EQ(capture.boxes().at(1).text, std::string(79, 'M') + " : LPT1" + question);
}

TEST(runtime_error_test, long_extra_text_is_cut_but_the_question_stays) {
  RuntimeErrorCapture capture;
  std::string extra(400, 'e');
  char text[svc::runtime_error_text_size];
  std::size_t length = svc::runtime_error_text(501, extra.c_str(), text);
  EXPECT_EQ(length, 255u);
  EXPECT_EQ(std::strlen(text), 255u);
  EXPECT_EQ(std::string(text).substr(0, 20), "Internal error 01 : ");
  EXPECT_EQ(std::string(text).substr(255 - question.size()), question);
}

TEST(runtime_error_test, while_running_the_files_are_cleaned_up_once_and_the_exit_is_2) {
  RuntimeErrorCapture capture;
  cleanups = 0;
  svc::process_state().set_final_file_cleanup(&count_cleanup);
  svc::raise_runtime_error(536);
  svc::raise_runtime_error(536);  // the test's exit returned: a second error
  EXPECT_EQ(cleanups, 1);
  EXPECT_EQ(capture.exits(), (std::vector<int>{2, 2}));
}

TEST(runtime_error_test, during_shutdown_the_box_shows_and_the_call_returns) {
  RuntimeErrorCapture capture;
  cleanups = 0;
  svc::process_state().set_final_file_cleanup(&count_cleanup);
  svc::process_state().run_final_file_cleanup();  // the shutdown closed the files
  svc::process_state().set_running(false);
  svc::raise_runtime_error(529);
  EXPECT_EQ(capture.boxes().size(), 1u);
  EXPECT_TRUE(capture.exits().empty());
  EXPECT_EQ(cleanups, 1);  // not repeated
}

TEST(runtime_error_test, yes_stops_the_process_at_once) {
  EXPECT_DEATH(
      {
        RuntimeErrorCapture capture(plat::IDYES);
        svc::raise_runtime_error(536);
      },
      "");
}

TEST(runtime_error_test, diagnostic_table_rows_and_unknown_codes) {
  EXPECT_STREQ(svc::diagnostic_format(11), "memory block free'd twice");
  EXPECT_STREQ(svc::diagnostic_format(1), "Out of free space");
  EXPECT_STREQ(svc::diagnostic_format(62), "Illegal combination of stream & direct io.");
  EXPECT_STREQ(svc::diagnostic_format(80), "Pure virtual function called");
  EXPECT_STREQ(svc::diagnostic_format(12), "Unknown Error");
  EXPECT_STREQ(svc::diagnostic_format(-1), "Unknown Error");
}

TEST(runtime_error_test, diagnostic_is_formatted_logged_with_a_trace_and_raised) {
  RuntimeErrorCapture capture;
  svc::report_diagnostic(10, 4096, 3);
  EXPECT_EQ(capture.boxes().at(0).text, "memory leak 4096 bytes (3 allocs)" + question);
  EXPECT_TRUE(life_test::is_error_trace(capture.log(), "memory leak 4096 bytes (3 allocs)"))
      << capture.log();
  EXPECT_EQ(capture.exits(), std::vector<int>{2});
  svc::report_diagnostic(81, "GETINI");
  EXPECT_EQ(capture.boxes().at(1).text, "Unimplemented function GETINI" + question);
  svc::report_diagnostic(99);
  EXPECT_EQ(capture.boxes().at(2).text, "Unknown Error" + question);
}

TEST(runtime_error_test, abstract_call_ends_with_2_whatever_the_running_flag) {
  RuntimeErrorCapture capture;
  svc::process_state().set_running(false);
  svc::abstract_call();
  EXPECT_EQ(capture.boxes().at(0).text, "Pure virtual function called" + question);
  EXPECT_EQ(capture.exits(), std::vector<int>{2});
}

}  // namespace
