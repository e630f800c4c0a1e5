// String-stack throughput: a typical expression (push, concatenate, CLIP,
// SUB, pop) in a loop, and INSTRING over a 1 MB text.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "runtime/string_ops.h"
#include "runtime/string_stack.h"

namespace {

// Name = CLIP(First) & ' ' & SUB(Last, 1, 10)
void BM_string_expression(benchmark::State& state) {
  rt::StringStack& stack = rt::string_stack();
  stack.reset();
  char first[20];
  char last[30];
  char name[40];
  std::memset(first, ' ', sizeof first);
  std::memcpy(first, "Jonathan", 8);
  std::memset(last, ' ', sizeof last);
  std::memcpy(last, "Worthington-Smythe", 18);
  for (auto _ : state) {
    stack.push_borrowed(first, sizeof first);
    rt::clip();
    stack.push_borrowed(" ", 1);
    rt::concat();
    stack.push_borrowed(last, sizeof last);
    rt::sub(1, 10);
    rt::concat();
    stack.pop_into_string(name, sizeof name);
    benchmark::DoNotOptimize(name);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_string_expression);

// The same without heap traffic: inline numbers, CLIP and SUB on borrowed text.
void BM_string_expression_borrowed(benchmark::State& state) {
  rt::StringStack& stack = rt::string_stack();
  stack.reset();
  char field[30];
  std::memset(field, ' ', sizeof field);
  std::memcpy(field, "Worthington-Smythe", 18);
  char out[12];
  for (auto _ : state) {
    stack.push_borrowed(field, sizeof field);
    rt::clip();
    rt::sub(3, 8);
    stack.pop_into_string(out, sizeof out);
    stack.push_integer(123456);
    stack.pop_into_string(out, sizeof out);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_string_expression_borrowed);

std::string megabyte_text() {
  std::string text(1 << 20, ' ');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
  text.replace(text.size() - 20, 12, "<img src=\"x\"");
  return text;
}

void BM_instring_1mb(benchmark::State& state) {
  const std::string text = megabyte_text();
  const std::string sub = "<img src=\"x\"";
  for (auto _ : state) {
    int32_t at = rt::instring_text(sub.data(), static_cast<uint32_t>(sub.size()), text.data(),
                                   static_cast<uint32_t>(text.size()), 1, 1);
    benchmark::DoNotOptimize(at);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_instring_1mb);

void BM_instring_1mb_one_byte(benchmark::State& state) {
  const std::string text = megabyte_text();
  for (auto _ : state) {
    int32_t at = rt::instring_text("<", 1, text.data(), static_cast<uint32_t>(text.size()), 1, 1);
    benchmark::DoNotOptimize(at);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_instring_1mb_one_byte);

}  // namespace

BENCHMARK_MAIN();
