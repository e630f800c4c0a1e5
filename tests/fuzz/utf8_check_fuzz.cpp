// Feeds arbitrary bytes to the UTF-8 check in three pieces cut at places the
// input chooses: its verdict and line are those of the whole text.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mime/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);
  const size_t first = data[0] % (input.size() + 1);
  const size_t second = first + data[1] % (input.size() - first + 1);
  mime::Utf8Check check;
  check.feed(input.substr(0, first));
  check.feed(input.substr(first, second - first));
  check.feed(input.substr(second));
  const bool ok = check.finish();
  const size_t fault = mime::first_invalid_utf8(input);
  if (ok != (fault == std::string_view::npos)) std::abort();
  const size_t end = ok ? input.size() : fault;
  if (check.line() != 1 + static_cast<size_t>(std::count(input.begin(), input.begin() + end, '\n'))) std::abort();
  return 0;
}
