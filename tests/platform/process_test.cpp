#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/path.h"
#include "platform/syscalls.h"

using namespace plat;

namespace {

std::string module_path() {
  char buffer[1024];
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return std::string(buffer, n);
}

[[noreturn]] void throw_exit_code(UINT code) {
  throw static_cast<int>(code);
}

}  // namespace

TEST(process_test, command_line_is_the_quoted_program_then_the_arguments_joined_by_single_spaces) {
  const char* argv[] = {"ignored", "alpha,", "beta /Fast",
                        "\xDC"
                        "body"
                        "\xDC",
                        ""};
  set_process_arguments(5, argv);
  EXPECT_EQ(std::string(GetCommandLineA()), "\"" + module_path() +
                                                "\" alpha, beta /Fast \xDC"
                                                "body"
                                                "\xDC ");
  set_process_arguments(1, argv);
  EXPECT_EQ(std::string(GetCommandLineA()), "\"" + module_path() + "\"");
  set_process_arguments(0, nullptr);
  EXPECT_EQ(std::string(GetCommandLineA()).rfind("\"" + module_path() + "\"", 0), 0u);
}

#ifndef _WIN32
// Arguments taken from main are joined without reading the system's copy, so
// a run still has its call text where /proc/self/cmdline cannot be read.
TEST(process_test, command_line_joins_the_arguments_main_received) {
  const char* argv[] = {"ignored", "MakeEML('x')", ""};
  take_main_arguments(3, argv);
  {
    syscall_guard guard;
    fail_syscall(syscall_id::open, 1, std::errc::no_such_file_or_directory, 0);
    EXPECT_EQ(std::string(GetCommandLineA()), "\"" + module_path() + "\" MakeEML('x') ");
  }
  take_main_arguments(0, nullptr);
  EXPECT_EQ(std::string(GetCommandLineA()).find("MakeEML"), std::string::npos);
}
#endif

TEST(process_test, module_path_is_the_absolute_path_of_this_executable) {
  std::string path = module_path();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_TRUE(std::filesystem::equivalent(path, "/proc/self/exe"));
}

TEST(process_test, module_path_is_the_full_name_of_a_file_and_is_cut_to_a_short_buffer) {
  std::string path = module_path();
  char full[1024];
  EXPECT_EQ(GetFullPathNameA(path.c_str(), sizeof full, full, nullptr), path.size());
  EXPECT_EQ(std::string(full), path);
  DWORD attributes = GetFileAttributesA(path.c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  char short_buffer[5];
  EXPECT_EQ(GetModuleFileNameA(nullptr, short_buffer, sizeof short_buffer), 5u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(short_buffer), path.substr(0, 4));
}

TEST(process_test, module_handle_names_the_program_only) {
  HMODULE self = GetModuleHandleA(nullptr);
  ASSERT_NE(self, nullptr);
  std::string name = std::filesystem::path(module_path()).filename().string();
  EXPECT_EQ(GetModuleHandleA(name.c_str()), self);
  EXPECT_EQ(GetModuleHandleA("kernel32.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  char buffer[16];
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(buffer), buffer, sizeof buffer), 0u);
}

TEST(process_test, exit_process_can_be_caught_by_a_test_hook) {
  set_exit_process_hook(throw_exit_code);
  try {
    ExitProcess(2);
    ADD_FAILURE() << "ExitProcess returned";
  } catch (int code) {
    EXPECT_EQ(code, 2);
  }
  set_exit_process_hook(nullptr);
}

TEST(process_test, a_child_process_reports_its_result_and_ids_differ) {
  DWORD parent = GetCurrentProcessId();
  auto body = [](void* argument) -> int {
    return GetCurrentProcessId() != *static_cast<DWORD*>(argument) ? 42 : 1;
  };
  EXPECT_EQ(run_in_child_process(body, &parent), 42);
  EXPECT_NE(GetCurrentThreadId(), 0u);
}

// A process is running while it exists; one that has ended is not.
TEST(process_test, a_process_runs_until_it_ends) {
  EXPECT_TRUE(process_running(GetCurrentProcessId()));
  EXPECT_FALSE(process_running(0));
  const std::filesystem::path noted = std::filesystem::temp_directory_path() /
                                      ("msgmake_process_test_" + std::to_string(GetCurrentProcessId()));
  auto body = [](void* argument) -> int {
    std::FILE* out = std::fopen(static_cast<const char*>(argument), "w");
    if (out == nullptr) return 1;
    std::fprintf(out, "%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    return std::fclose(out) == 0 ? 0 : 1;
  };
  char name[256] = {};
  std::snprintf(name, sizeof name, "%s", noted.string().c_str());
  ASSERT_EQ(run_in_child_process(body, name), 0);
  unsigned long child = 0;
  std::FILE* in = std::fopen(name, "r");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(std::fscanf(in, "%lu", &child), 1);
  std::fclose(in);
  std::filesystem::remove(noted);
  EXPECT_NE(child, 0u);
  EXPECT_FALSE(process_running(static_cast<DWORD>(child)));
}
