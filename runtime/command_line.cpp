#include "runtime/command_line.h"

#include <cstring>

#include "platform/process.h"
#include "runtime/locale.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"
#include "services/heap.h"

namespace rt {
namespace {

bool is_white(char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20; }

// Skips the program name: up to white space outside double quotes.
const char* skip_program_name(const char* p) {
  bool quoted = false;
  for (; *p != '\0' && (quoted || !is_white(*p)); ++p) {
    if (*p == '"') quoted = !quoted;
  }
  return p;
}

// Equal when equal after upper-casing, or when they collate alike.
bool same_letter(char a, char b) {
  const Locale& loc = locale();
  const uint8_t x = static_cast<uint8_t>(a);
  const uint8_t y = static_cast<uint8_t>(b);
  return loc.to_upper(x) == loc.to_upper(y) || loc.weight(x) == loc.weight(y);
}

bool starts_with(std::string_view token, std::string_view prefix, bool then_equals) {
  if (token.size() < prefix.size() + (then_equals ? 1 : 0)) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (!same_letter(token[i], prefix[i])) return false;
  }
  return !then_equals || same_letter(token[prefix.size()], '=');
}

// The selector's leading decimal number as the C library reads one: white
// space, a sign, digits; saturating instead of overflowing.
int64_t leading_number(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && is_white(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  int64_t n = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    if (n < INT64_MAX / 100) n = n * 10 + (s[i] - '0');
  }
  return negative ? -n : n;
}

// Reads the tokens of the argument text one by one.
class Tokens {
 public:
  Tokens(std::string_view text, char* buffer) : text_(text), token_(buffer) {}

  // The next token in the buffer; false at the end of the text.
  bool next(std::string_view& token) {
    if (started_) skip_separator();
    started_ = true;
    if (at_ >= text_.size()) return false;
    skip_white();
    uint32_t length = 0;
    bool quoted = false;
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (!quoted && (static_cast<uint8_t>(c) <= 0x20 || c == ',' || (c == '/' && length > 0))) break;
      ++at_;
      if (c != '"') {
        token_[length++] = c;
      } else if (at_ < text_.size() && text_[at_] == '"') {
        token_[length++] = '"';
        ++at_;
      } else {
        quoted = !quoted;
      }
    }
    token = std::string_view(token_, length);
    return true;
  }

 private:
  void skip_white() {
    while (at_ < text_.size() && is_white(text_[at_])) ++at_;
  }
  // White space and one comma end a token; two commas in a row hold an
  // empty token between them. Control bytes end a token as white space
  // does and are passed over with it, so that every token moves on.
  void skip_separator() {
    while (at_ < text_.size() && static_cast<uint8_t>(text_[at_]) <= 0x20) ++at_;
    if (at_ < text_.size() && text_[at_] == ',') ++at_;
  }

  std::string_view text_;
  char* token_;
  size_t at_ = 0;
  bool started_ = false;
};

uint32_t copy_out(std::string_view text, char* out) {
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  return static_cast<uint32_t>(text.size());
}

}  // namespace

std::string_view CommandLine::argument_text() {
  if (!made_) {
    made_ = true;
    const char* p = plat::GetCommandLineA();
    if (p == nullptr) p = "";
    while (is_white(*p)) ++p;
    p = skip_program_name(p);
    while (is_white(*p)) ++p;
    const uint32_t length = static_cast<uint32_t>(std::strlen(p));
    text_ = length == 0 ? nullptr : static_cast<char*>(svc::allocate(length));
    length_ = text_ == nullptr ? 0 : length;
    if (text_ != nullptr) std::memcpy(text_, p, length);
  }
  return {text_, length_};
}

uint32_t CommandLine::select(std::string_view selector, char* out) {
  const std::string_view text = argument_text();
  if (selector.empty()) return copy_out(text, out);
  if (selector == "0") {
    const plat::DWORD n = plat::GetModuleFileNameA(nullptr, out, kModulePathMax);
    return n < kModulePathMax ? n : kModulePathMax - 1;
  }
  const int64_t position = leading_number(selector);
  const bool flag = position == 0 && selector.front() == '/';
  Tokens tokens(text, out);
  std::string_view token;
  for (int64_t counter = 1; tokens.next(token); ++counter) {
    if (position != 0) {
      if (counter == position) return static_cast<uint32_t>(token.size());
    } else if (starts_with(token, selector, !flag)) {
      // The result is the token's tail; move it to the front of `out`.
      const size_t skip = flag ? 1 : selector.size() + 1;
      std::memmove(out, token.data() + skip, token.size() - skip);
      return static_cast<uint32_t>(token.size() - skip);
    }
  }
  return 0;
}

void CommandLine::reset() {
  svc::release(text_);
  text_ = nullptr;
  length_ = 0;
  made_ = false;
}

CommandLine& command_line() {
  static CommandLine instance;
  return instance;
}

void command_line_query() {
  StringStack& stack = string_stack();
  clip();
  HeapString selector = stack.pop_into_heap();
  CommandLine& cl = command_line();
  const std::string_view text = cl.argument_text();
  const uint32_t capacity = text.size() > kModulePathMax ? static_cast<uint32_t>(text.size())
                                                         : kModulePathMax;
  char* block = static_cast<char*>(svc::allocate(capacity));
  const uint32_t length =
      block == nullptr ? 0 : cl.select(std::string_view(selector.text, selector.length), block);
  release_heap_string(selector);
  if (length == 0) {
    svc::release(block);
    stack.push_empty();
    return;
  }
  stack.push_owned(block, length);
}

}  // namespace rt
