// The option parser's headers, without the start-up cost of <iostream>.
//
// With the GNU C++ library, every file that includes <iostream> constructs
// the eight standard streams when the program starts, and with them the whole
// C++ locale: about a tenth of a short run's time and twenty page faults, paid
// even by a run that is given its call text and never parses an option. The
// parser includes <iostream> only to name std::cout and std::cerr as default
// arguments of calls msgmake does not make. So here the streams are declared
// as <iostream> declares them, and <iostream> itself is marked as read. No
// code in msgmake names a standard stream: the program links without them, and
// a test checks that it does.
#pragma once

#include <istream>
#include <ostream>

#if defined(__GLIBCXX__) && !defined(_GLIBCXX_IOSTREAM)
#define _GLIBCXX_IOSTREAM 1
namespace std {
extern istream cin;
extern ostream cout;
extern ostream cerr;
extern ostream clog;
}  // namespace std
#endif

#include <CLI/CLI.hpp>
