#include "services/error_table.h"

#include <gtest/gtest.h>

#include <string>

#include "services/error_state.h"

namespace {

TEST(error_table_test, holds_every_code_once_in_ascending_order) {
  auto table = svc::error_message_table();
  ASSERT_EQ(table.size(), 174u);
  int file_codes = 0, system_codes = 0, runtime_codes = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (i > 0) {
      EXPECT_LT(table[i - 1].code, table[i].code);
    }
    EXPECT_FALSE(table[i].text.empty()) << table[i].code;
    int code = table[i].code;
    (code < svc::err::system_base          ? file_codes
     : code < svc::err::runtime_check_base ? system_codes
                                           : runtime_codes)++;
  }
  EXPECT_EQ(file_codes, 44);
  EXPECT_EQ(system_codes, 72);
  EXPECT_EQ(runtime_codes, 58);
}

TEST(error_table_test, texts_are_exactly_as_the_runtime_shows_them) {
  EXPECT_EQ(svc::table_message(svc::err::file_not_found), "File Not Found");
  EXPECT_EQ(svc::table_message(svc::err::record_not_available), "Record Not Available");
  EXPECT_EQ(svc::table_message(svc::err::invalid_parameter_count),
            "Invalid Number Of Parameters ");  // trailing blank kept
  EXPECT_EQ(svc::table_message(svc::err::unknown_error_posted), "Unknown Error Posted");
  EXPECT_EQ(svc::table_message(332), "Sharing Violation");
  EXPECT_EQ(svc::table_message(350), "Not Supported ");
  EXPECT_EQ(svc::table_message(391), "Unknown Error");
  EXPECT_EQ(svc::table_message(403),
            "Termination caused by signal.  (User break or Floating point)");
  EXPECT_EQ(svc::table_message(515), "Internal error 15");
  EXPECT_EQ(svc::table_message(543), "Slider controls are only available in 32-bit programs");
  EXPECT_EQ(svc::table_message(605), "DDE transaction timed out");
  EXPECT_EQ(svc::table_message(svc::err::mismatched_scope), "Mismatched PUSHSCOPE/POPSCOPE");
}

TEST(error_table_test, codes_without_a_text_of_their_own_are_absent) {
  for (int code : {0, 1, 6, 31, 34, 97, 300, 314, 340, 349, 373, 379, 389, 400, 411, 500, 516,
                   519, 545, 600, 606, 799, 803}) {
    EXPECT_EQ(svc::table_message(code).data(), nullptr) << code;
  }
}

}  // namespace
