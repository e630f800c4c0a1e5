// A run of msgmake with options that ends before a message is composed: the
// exit code and the text of its one line on standard error.
#pragma once

#include <string>

#include "app/run_outcome.h"

namespace cli {

// Data that cannot be used: text that is not UTF-8, a header that cannot fit
// on its line, a name that the program cannot hold.
inline constexpr int kExitDataError = app::kExitDataError;

// The draft is written, but --open could not open it.
inline constexpr int kExitNotOpened = 69;

struct Refusal {
  int exit_code = 0;
  std::string message;  // without "msgmake: " and the newline
};

// Writes "msgmake: " and the message on one line of standard error, adding
// the pointer to the help text for a usage error; returns the exit code.
int report(const Refusal& refusal);

}  // namespace cli
