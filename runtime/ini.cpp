#include "runtime/ini.h"

#include <cstring>

#include "platform/profile.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"

namespace rt {
namespace {

// A clipped argument as a C string of at most `max` bytes.
template <uint32_t max>
struct Argument {
  char text[max + 1];

  explicit Argument(std::string_view value) {
    value = clipped_text(value);
    const size_t n = value.size() < max ? value.size() : max;
    if (n > 0) std::memcpy(text, value.data(), n);
    text[n] = '\0';
  }
};

// Pops the top entry, clipped.
HeapString pop_argument() {
  clip();
  return string_stack().pop_into_heap();
}

std::string_view view(const HeapString& s) { return {s.text, s.length}; }

}  // namespace

uint32_t read_ini(std::string_view section, std::string_view entry, std::string_view fallback,
                  std::string_view file, char* out) {
  const Argument<kIniSectionMax> s(section);
  const Argument<kIniEntryMax> e(entry);
  const Argument<kIniDefaultMax> d(fallback);
  const Argument<kIniFileMax> f(file);
  char value[kIniValueMax + 1];
  // The buffer holds the default first, so a failed lookup still gives it.
  std::memcpy(value, d.text, sizeof d.text);
  if (f.text[0] != '\0') {
    plat::GetPrivateProfileStringA(s.text, e.text, d.text, value, sizeof value, f.text);
  } else {
    plat::GetProfileStringA(s.text, e.text, d.text, value, sizeof value);
  }
  value[kIniValueMax] = '\0';
  const uint32_t length = static_cast<uint32_t>(std::strlen(value));
  std::memcpy(out, value, length);
  return length;
}

void GETINI() {
  HeapString file = pop_argument();
  HeapString fallback = pop_argument();
  HeapString entry = pop_argument();
  HeapString section = pop_argument();
  char value[kIniValueMax];
  const uint32_t length = read_ini(view(section), view(entry), view(fallback), view(file), value);
  for (HeapString* s : {&file, &fallback, &entry, &section}) release_heap_string(*s);
  StringStack& stack = string_stack();
  stack.push_borrowed(value, length);
  stack.make_top_stable();
}

}  // namespace rt
