// Fuzzes EVALUATE: any text as an expression, with a bound 13-argument
// procedure and bound variables of every readable type in scope. Every run
// must leave exactly one value on the string stack and give back every heap
// block it took.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "evaluator/builtins.h"
#include "evaluator/evaluate.h"
#include "evaluator/regex.h"
#include "runtime/string_stack.h"
#include "runtime/string_value.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace {

std::int32_t thirteen() {
  for (int i = 0; i < 13; ++i) rt::string_stack().discard();
  return 13;
}

std::int32_t leaves_junk() {
  rt::string_stack().push_borrowed("junk", 4);
  return -1;
}

struct variables {
  char text[12] = "hello world";
  char ctext[8] = "abc";
  unsigned char ptext[6] = {3, 'x', 'y', 'z', 0, 0};
  std::int32_t number = 1234;
  std::uint32_t unsigned_number = 4000000000u;
  double real = 2.5;
  float single = 0.25f;
  std::uint8_t byte = 9;
} vars;

void bind_name(const char* name) {
  rt::string_stack().push_cstring(name);
}

void set_up() {
  bind_name("Make13");
  eval::BIND(&thirteen, 13, rt::TYPE_LONG);
  bind_name("Junk");
  eval::BIND(&leaves_junk, 2, rt::TYPE_STRING);
  struct {
    const char* name;
    void* address;
    std::int32_t type;
    std::uint32_t size;
  } bound[] = {
      {"S", vars.text, rt::TYPE_STRING, sizeof vars.text},
      {"C", vars.ctext, rt::TYPE_CSTRING, sizeof vars.ctext},
      {"P", vars.ptext, rt::TYPE_PSTRING, sizeof vars.ptext},
      {"N", &vars.number, rt::TYPE_LONG, 4},
      {"U", &vars.unsigned_number, rt::TYPE_ULONG, 4},
      {"R", &vars.real, rt::TYPE_REAL, 8},
      {"F", &vars.single, rt::TYPE_SREAL, 4},
      {"B", &vars.byte, rt::TYPE_BYTE, 1},
  };
  for (const auto& b : bound) {
    bind_name(b.name);
    eval::BIND(eval::variable_ref{b.address, b.type, b.size});
  }
}

// ALL, LEFT, RIGHT and CENTER make a string as long as their count argument,
// so a count near 2^31 asks for gigabytes; they are left to the unit tests.
bool names_a_width_function(const uint8_t* data, size_t size) {
  static const char* const names[] = {"ALL", "LEFT", "RIGHT", "CENTER"};
  for (const char* name : names) {
    size_t n = std::strlen(name);
    for (size_t i = 0; i + n <= size; ++i) {
      size_t k = 0;
      while (k < n && (data[i + k] & 0xDF) == name[k]) ++k;
      if (k == n) return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (set_up(), true);
  (void)ready;
  if (size > 4096 || names_a_width_function(data, size)) return 0;
  eval::seed_random(1);
  // The pattern cache keeps its compilation between calls by design; it is
  // emptied so that what remains taken can be counted.
  eval::the_regex_cache().reset();
  std::uint32_t blocks_before = svc::process_heap().validate().allocated_blocks;
  rt::string_stack().push_borrowed(reinterpret_cast<const char*>(data),
                                   static_cast<std::uint32_t>(size));
  eval::EVALUATE();
  if (rt::string_stack().depth() != 1) std::abort();
  rt::HeapString value = rt::string_stack().pop_into_heap();
  rt::release_heap_string(value);
  svc::error_state().clear();
  eval::the_regex_cache().reset();
  if (svc::process_heap().validate().allocated_blocks != blocks_before) std::abort();
  return 0;
}
