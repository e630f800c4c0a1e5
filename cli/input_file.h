// The files the options name, read before anything is written: a body file
// (or standard input) read whole, and the files to embed or attach checked
// for reading, so that a missing one leaves every existing file untouched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

// The name that stands for standard input, and as the draft to write for
// standard output.
inline constexpr std::string_view kStandardInput = "-";
inline constexpr std::string_view kStandardOutput = "-";

// Reads the whole file into `bytes`: a regular file, or a pipe, FIFO or
// device read to its end. Returns 0, or the runtime's error code of the
// failure ("File Not Found" and its kin).
int32_t read_input(std::string_view name, std::string& bytes);

// Reads standard input to its end into `bytes`. Returns 0, or the system
// error of a read that failed (6 when standard input is closed): what was
// read is then no whole body.
uint32_t read_standard_input(std::string& bytes);

// 0 when the file can be opened for reading, else the runtime's error code.
int32_t check_readable(std::string_view name);

}  // namespace cli
