#include "services/error_state.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/last_error.h"
#include "services/heap.h"

namespace {

using svc::ErrorState;

// A code the message table has no text for.
constexpr std::int32_t code_without_text = 112;

std::string trimmed(std::string_view field) {
  std::size_t end = field.find_last_not_of(' ');
  return std::string(field.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

bool override_file_not_found(std::int32_t code, std::string_view* text) {
  if (code != svc::err::file_not_found) return false;
  *text = "   Datei nicht gefunden";
  return true;
}

TEST(error_state_test, starts_clear_with_blank_texts) {
  ErrorState state;
  EXPECT_EQ(state.code(), 0);
  EXPECT_EQ(state.failing_file(), nullptr);
  EXPECT_EQ(state.message(), std::string(80, ' '));
  EXPECT_EQ(state.file_error_message(), std::string(255, ' '));
  EXPECT_EQ(state.file_error_code(), std::string(81, ' '));
}

TEST(error_state_test, posting_zero_takes_the_system_error) {
  ErrorState state;
  plat::SetLastError(plat::ERROR_SHARING_VIOLATION);
  EXPECT_EQ(state.post(0), svc::err::system_code(plat::ERROR_SHARING_VIOLATION));
  EXPECT_EQ(state.code(), svc::err::system_code(plat::ERROR_SHARING_VIOLATION));
  EXPECT_EQ(state.system_error(), plat::ERROR_SHARING_VIOLATION);
  EXPECT_EQ(trimmed(state.message()), "Sharing Violation");
}

TEST(error_state_test, a_code_without_text_shows_the_unknown_form) {
  ErrorState state;
  plat::SetLastError(0);
  state.post(code_without_text);
  EXPECT_EQ(trimmed(state.message()), "Unknown Error Posted : 112");
  plat::SetLastError(plat::ERROR_DISK_FULL);
  state.post(0);
  EXPECT_EQ(state.code(), svc::err::system_code(plat::ERROR_DISK_FULL));
  EXPECT_EQ(trimmed(state.message()), "Unknown Error Posted : 412");
  EXPECT_EQ(state.message_of(0).view(), "Unknown Error Posted");
  EXPECT_EQ(state.message_of(-5).view(), "Unknown Error Posted : -5");
}

TEST(error_state_test, post_clears_the_failing_file_and_note_sets_it) {
  ErrorState state;
  svc::FailingFile file = static_cast<svc::FailingFile>(&state);
  state.post(svc::err::file_not_found);
  state.note_failing_file(file);
  EXPECT_EQ(state.failing_file(), file);
  state.post(svc::err::record_not_available);
  EXPECT_EQ(state.failing_file(), nullptr);
  EXPECT_EQ(trimmed(state.message()), "Record Not Available");
}

TEST(error_state_test, clear_keeps_the_system_error_and_blanks_the_rest) {
  ErrorState state;
  plat::SetLastError(plat::ERROR_ACCESS_DENIED);
  state.post(0);
  state.note_failing_file(static_cast<svc::FailingFile>(&state));
  state.clear();
  EXPECT_EQ(state.code(), 0);
  EXPECT_EQ(state.system_error(), plat::ERROR_ACCESS_DENIED);
  EXPECT_EQ(state.failing_file(), nullptr);
  EXPECT_EQ(state.message(), std::string(80, ' '));
}

// The flag the records loop tests must follow the code and the failing file
// through every change, the saved copies included.
TEST(error_state_test, is_clear_follows_code_and_failing_file_through_every_change) {
  ErrorState state;
  svc::FailingFile file = static_cast<svc::FailingFile>(&state);
  EXPECT_TRUE(state.is_clear());
  state.note_failing_file(file);  // a failing file alone is not clear
  EXPECT_FALSE(state.is_clear());
  state.clear();
  EXPECT_TRUE(state.is_clear());
  state.post(svc::err::record_not_available);
  EXPECT_FALSE(state.is_clear());
  state.save();
  state.clear();
  EXPECT_TRUE(state.is_clear());
  state.restore();
  EXPECT_FALSE(state.is_clear());
  state.save();
  state.clear();
  state.save();
  state.post(svc::err::access_denied);
  state.restore();
  EXPECT_TRUE(state.is_clear());
  state.restore();
  EXPECT_FALSE(state.is_clear());
  state.reset();
  EXPECT_TRUE(state.is_clear());
}

TEST(error_state_test, override_wins_and_leading_blanks_are_skipped_in_the_field) {
  ErrorState state;
  state.set_message_override(&override_file_not_found);
  state.post(svc::err::file_not_found);
  EXPECT_EQ(trimmed(state.message()), "Datei nicht gefunden");
  EXPECT_EQ(state.message_of(svc::err::file_not_found).view(), "   Datei nicht gefunden");
  EXPECT_EQ(state.message_of(svc::err::path_not_found).view(), "Path Not Found");
}

TEST(error_state_test, the_unknown_form_uses_an_override_of_81) {
  ErrorState state;
  state.set_message_override([](std::int32_t code, std::string_view* text) {
    if (code != svc::err::unknown_error_posted) return false;
    *text = "Unbekannter Fehler";
    return true;
  });
  EXPECT_EQ(state.message_of(1).view(), "Unbekannter Fehler : 1");
}

TEST(error_state_test, the_message_field_holds_at_most_79_characters) {
  ErrorState state;
  state.set_message_override([](std::int32_t, std::string_view* text) {
    static const std::string long_text(300, 'x');
    *text = long_text;
    return true;
  });
  EXPECT_EQ(state.message_of(svc::err::memory_corrupted).length, 255u);
  state.post(svc::err::memory_corrupted);
  EXPECT_EQ(state.message(), std::string(79, 'x') + ' ');
}

TEST(error_state_test, save_and_restore_nest) {
  ErrorState state;
  state.post(svc::err::file_not_found);
  state.save();
  state.post(svc::err::record_not_available);
  state.save();
  state.clear();
  state.restore();
  EXPECT_EQ(state.code(), svc::err::record_not_available);
  state.restore();
  EXPECT_EQ(state.code(), svc::err::file_not_found);
  EXPECT_EQ(trimmed(state.message()), "File Not Found");
  state.restore();  // nothing saved: nothing changes
  EXPECT_EQ(state.code(), svc::err::file_not_found);
}

TEST(error_state_test, a_save_that_finds_no_memory_is_matched_by_a_restore_that_does_nothing) {
  ErrorState state;
  state.post(svc::err::file_not_found);
  state.save();
  state.post(svc::err::record_not_available);
  {
    svc::HeapFailureGuard guard;
    state.save();
  }
  state.post(svc::err::record_not_found);
  state.restore();  // matches the failed save
  EXPECT_EQ(state.code(), svc::err::record_not_found);
  state.restore();
  EXPECT_EQ(state.code(), svc::err::file_not_found);
}

TEST(error_state_test, post_and_clear_notify_the_change_hook) {
  ErrorState state;
  static int calls;
  calls = 0;
  state.set_change_hook([](const ErrorState&) { ++calls; });
  state.post(svc::err::file_not_found);
  state.clear();
  state.note_failing_file(nullptr);
  EXPECT_EQ(calls, 2);
}

TEST(error_state_test, reset_drops_saved_states_and_hooks) {
  ErrorState& state = svc::error_state();
  state.set_message_override(&override_file_not_found);
  state.post(svc::err::file_not_found);
  state.save();
  state.reset();
  EXPECT_EQ(state.code(), 0);
  state.restore();
  EXPECT_EQ(state.code(), 0);
  EXPECT_EQ(state.message_of(svc::err::file_not_found).view(), "File Not Found");
}

}  // namespace
