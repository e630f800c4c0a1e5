// Paths and directories: the current directory, creating one directory, and
// the short and long forms of a path.
//
// On this platform there are no 8.3 names: the short form of an existing
// path is the path itself. The long form is the absolute path with each
// existing component spelled as the directory holds it.
#pragma once

#include <cstdint>
#include <string_view>

namespace rt {

// The system's path limit; longer arguments are cut to it.
inline constexpr uint32_t kPathMax = 260;
// The short form is at most this long, its terminating NUL included.
inline constexpr uint32_t kShortPathLimit = 144;

// The C-level error number that the current-directory and directory-creation
// services set on failure. One per process; tests reset it.
class DirectoryErrors {
 public:
  int32_t number() const { return number_; }
  void set(int32_t number) { number_ = number; }
  void reset() { number_ = 0; }

 private:
  int32_t number_ = 0;
};

DirectoryErrors& directory_errors();

inline constexpr int32_t kNoMemoryErrorNumber = 8;
inline constexpr int32_t kRangeErrorNumber = 34;

// The current directory into `buffer` (`size` bytes), or, with no buffer,
// into a new heap block of the size the system asks for. Null when the block
// cannot be had (error number 8), the directory does not fit (34) or the
// system fails (its last error).
char* current_directory(char* buffer, uint32_t size);

// Creates one directory level: 0, or -1 with the system's last error kept as
// the error number.
int32_t create_directory(const char* path);

// The short form of `path` into `out` (kPathMax + 1 bytes); returns its
// length. An empty path means the current directory.
uint32_t short_path_of(std::string_view path, char* out);
// The short form built by rule: slashes to backslashes, the characters that
// short names cannot hold to underscores, each component cut to an 8-byte
// name and a 3-byte extension; at most 143 bytes. `out` holds kShortPathLimit.
uint32_t short_path_by_rule(std::string_view path, char* out);
// The long form of `path` into `out` (kPathMax + 1 bytes); returns its length.
uint32_t long_path_of(std::string_view path, char* out);

// The two conversions on the string stack: the path is popped (clipped, at
// most 260 bytes), the result pushed. Both clear the current error code.
void short_path();
void long_path();

}  // namespace rt
