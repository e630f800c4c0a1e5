#include "services/process_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int cleanups = 0;
std::vector<int> exit_codes;

TEST(process_state_test, starts_running_with_the_clean_up_not_run) {
  svc::ProcessState state;
  EXPECT_TRUE(state.running());
  EXPECT_FALSE(state.final_file_cleanup_done());
}

TEST(process_state_test, final_file_clean_up_runs_once_even_from_inside_itself) {
  static svc::ProcessState state;
  cleanups = 0;
  state.set_final_file_cleanup([] {
    ++cleanups;
    state.run_final_file_cleanup();  // a runtime error raised while closing files
  });
  state.run_final_file_cleanup();
  state.run_final_file_cleanup();
  EXPECT_EQ(cleanups, 1);
  EXPECT_TRUE(state.final_file_cleanup_done());
}

TEST(process_state_test, clean_up_without_a_hook_counts_as_done) {
  svc::ProcessState state;
  state.run_final_file_cleanup();
  EXPECT_TRUE(state.final_file_cleanup_done());
}

TEST(process_state_test, exit_goes_through_the_installed_operation_and_reset_restores) {
  svc::ProcessState state;
  exit_codes.clear();
  state.set_exit_operation([](int code) { exit_codes.push_back(code); });
  state.set_running(false);
  state.exit(2);
  EXPECT_EQ(exit_codes, std::vector<int>{2});
  state.reset();
  EXPECT_TRUE(state.running());
  EXPECT_EQ(state.exit_operation(), nullptr);
}

TEST(process_state_test, default_exit_ends_the_process_with_the_code) {
  EXPECT_EXIT(svc::ProcessState().exit(2), testing::ExitedWithCode(2), "");
}

}  // namespace
