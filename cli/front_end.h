// msgmake driven by options. The options are parsed and checked before the
// runtime starts; the runtime's first procedure then reads the body and
// checks the files, fills the program data and runs the composer.
#pragma once

namespace cli {

// True when the arguments are options: the first begins with '-'.
bool starts_with_option(int argc, const char* const* argv);

// Runs msgmake with options. Returns the exit code when the run ends before
// the runtime starts (help, version, a usage or data error); otherwise the
// process ends inside, with the run's exit code.
int run_with_options(int argc, const char* const* argv);

}  // namespace cli
