// Feeds arbitrary bytes to the header policy as a subject, an address list
// and a file name. Every line must stay within 998 bytes, hold no line end,
// and every continuation line must hold more than white space; every line
// must be 7-bit, an address list's when no address of it has a fault (one
// that has is written as given).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mime/header_policy.h"

namespace {

constexpr size_t kLongestAddress = 900;

bool is_ascii(std::string_view text) {
  for (char c : text)
    if (static_cast<uint8_t>(c) >= 0x80) return false;
  return true;
}

void check(const mime::HeaderLines& lines, bool seven_bit) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.size() > mime::kHeaderLineHardLimit) std::abort();
    if (line.find_first_of("\r\n") != std::string::npos) std::abort();
    if (seven_bit && !is_ascii(line)) std::abort();
    if (i > 0 && line.find_first_not_of(" \t") == std::string::npos) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  check(mime::unstructured_header("Subject", input), true);
  check(mime::name_parameter(input), true);
  check(mime::filename_parameter(input), true);
  // An address proper is never split, so only a list that fits a line of
  // 998 bytes can be held to that limit.
  if (input.size() <= kLongestAddress) {
    bool sendable = true;
    for (const std::string& address : mime::split_addresses(input)) sendable = sendable && !mime::address_fault(address);
    check(mime::address_header("To", input), sendable);
  }
  return 0;
}
