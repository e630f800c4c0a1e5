// The system profile (WIN.INI) as a test writes it. Where the system keeps
// its own (Windows names its folder in WINDIR), that file is written and its
// content restored when the test ends; elsewhere WININI names a file of the
// test's own for as long as the test runs.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

class system_profile {
 public:
  explicit system_profile(const std::filesystem::path& own_file) : file_(own_file) {
    if (const char* windows = std::getenv("WINDIR"); windows != nullptr && *windows != '\0') {
      file_ = std::filesystem::path(windows) / "win.ini";
      std::ifstream in(file_, std::ios::binary);
      saved_ = std::string(std::istreambuf_iterator<char>(in), {});
      return;
    }
    if (const char* named = std::getenv("WININI")) saved_ = named;
    setenv("WININI", file_.string().c_str(), 1);
  }
  ~system_profile() {
    if (std::getenv("WINDIR") != nullptr && std::getenv("WINDIR")[0] != '\0') {
      write(saved_.value_or(""));
    } else if (saved_) {
      setenv("WININI", saved_->c_str(), 1);
    } else {
      unsetenv("WININI");
    }
  }
  system_profile(const system_profile&) = delete;
  system_profile& operator=(const system_profile&) = delete;

  void write(const std::string& text) const {
    std::ofstream(file_, std::ios::binary | std::ios::trunc) << text;
  }

 private:
  std::filesystem::path file_;
  std::optional<std::string> saved_;  // the system's content, or the WININI before
};
