// Command lines and selectors from outside: the query must stay inside the
// argument text and its result buffer whatever they hold.
//
// Input: the argument text, a NUL, then the selector.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.h"
#include "runtime/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const void* nul = std::memchr(text, '\0', size);
  const size_t argument_length = nul == nullptr ? size : static_cast<const char*>(nul) - text;
  const std::string argument(text, argument_length);
  const std::string_view selector =
      nul == nullptr ? std::string_view() : std::string_view(text + argument_length + 1, size - argument_length - 1);

  const char* argv[] = {"prog", argument.c_str()};
  plat::set_process_arguments(2, argv);
  rt::CommandLine& command_line = rt::command_line();
  command_line.reset();
  const std::string_view arguments = command_line.argument_text();
  if (arguments.size() > argument.size() + 1) std::abort();

  const size_t capacity = arguments.size() > rt::kModulePathMax ? arguments.size() : rt::kModulePathMax;
  std::vector<char> out(capacity);
  const uint32_t length = command_line.select(selector, out.data());
  if (length > capacity) std::abort();
  // Every position up to a few past the last token is answered.
  for (const char* position : {"1", "2", "3", "50"}) {
    if (command_line.select(position, out.data()) > capacity) std::abort();
  }
  command_line.reset();
  plat::set_process_arguments(0, nullptr);
  return 0;
}
