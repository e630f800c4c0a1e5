// The folder where a fuzz target keeps the file it reads: made for this
// process where none stood, so fuzzers run side by side never write each
// other's file.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace fuzz {

inline const std::filesystem::path& own_folder() {
  static const std::filesystem::path folder = [] {
    std::random_device seed;
    std::filesystem::path made;
    do made = std::filesystem::temp_directory_path() / ("msgmake-fuzz-" + std::to_string(seed()));
    while (!std::filesystem::create_directory(made));
    return made;
  }();
  return folder;
}

}  // namespace fuzz
