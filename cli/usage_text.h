// The texts of --help and --version.
#pragma once

namespace cli {

// Both forms of the command line, briefly, with one example each.
extern const char* const kUsageText;
// "msgmake" and the version number.
extern const char* const kVersionText;

}  // namespace cli
