// The folder where a fuzz target keeps the file it reads: made for this
// process where none stood, so fuzzers run side by side never write each
// other's file, and removed with what it holds when the process ends.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace fuzz {

class OwnFolder {
 public:
  OwnFolder() {
    std::random_device seed;
    do path_ = std::filesystem::temp_directory_path() / ("msgmake-fuzz-" + std::to_string(seed()));
    while (!std::filesystem::create_directory(path_));
  }
  ~OwnFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  OwnFolder(const OwnFolder&) = delete;
  OwnFolder& operator=(const OwnFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline const std::filesystem::path& own_folder() {
  static const OwnFolder folder;
  return folder.path();
}

}  // namespace fuzz
