// The checks a call of the message procedure must pass before its message
// is begun. When one fails the run is refused with its own exit code and
// line, nothing is written, and the message file's path keeps what stood
// there.
#pragma once

#include <cstdint>

namespace app {

struct MessageArguments;

// The most bytes a message can have: the file layer's positions are 32-bit.
inline constexpr uint64_t kLargestMessage = 0x7FFFFFFF;

// In this order: a blank message file name, which no file can be opened by
// (73); an argument that its field or line would cut (65); a message file
// that is also a file to read (64); inputs that would make the message
// larger than kLargestMessage (65). True when the call may go on; otherwise
// the refusal is noted in the run's outcome. A call text that leaves out
// trailing arguments is no fault: they arrive empty.
bool call_may_run(const MessageArguments& args);

// An upper bound of the size of the message the call would write, from the
// sizes of the files it names (a file that cannot be read counts 0).
uint64_t message_size_bound(const MessageArguments& args);

}  // namespace app
