// EVALUATE of the program's own kind of call text: a bound procedure of 13
// arguments, each a quoted string of about 100 bytes, compiled and run whole
// every time. Reported as expressions per second.
#include <benchmark/benchmark.h>

#include <string>

#include "evaluator/evaluate.h"
#include "evaluator/match.h"
#include "runtime/string_stack.h"
#include "runtime/string_value.h"

namespace {

std::int32_t receive_thirteen() {
  // Take each argument as a received string, as the message procedure does.
  for (int i = 0; i < 13; ++i) {
    rt::HeapString argument = rt::string_stack().pop_into_heap();
    benchmark::DoNotOptimize(argument.length);
    rt::release_heap_string(argument);
  }
  return 0;
}

std::string call_text() {
  std::string text = "MakeEMLAttachmentFileSW(";
  for (int i = 0; i < 13; ++i) {
    std::string value = "argument " + std::to_string(i) + " it''s ";
    while (value.size() < 100) value += "abcdefghij";
    value.resize(100);
    text += (i > 0 ? ",'" : "'") + value + "'";
  }
  return text + ")";
}

void evaluate_thirteen_argument_call(benchmark::State& state) {
  rt::string_stack().reset();
  eval::PUSHSCOPE(0);
  rt::string_stack().push_cstring("MakeEMLAttachmentFileSW");
  eval::BIND(&receive_thirteen, 13, rt::TYPE_LONG);
  const std::string text = call_text();
  for (auto _ : state) {
    rt::string_stack().push_borrowed(text.data(), static_cast<std::uint32_t>(text.size()));
    eval::EVALUATE();
    rt::string_stack().discard();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
  eval::POPSCOPE();
}
BENCHMARK(evaluate_thirteen_argument_call);

void evaluate_arithmetic(benchmark::State& state) {
  const std::string text = "(1 + 2 * 3 - 4 / 5) ^ 2 & SUB('abcdef', 2, 3)";
  for (auto _ : state) {
    rt::string_stack().push_borrowed(text.data(), static_cast<std::uint32_t>(text.size()));
    eval::EVALUATE();
    rt::string_stack().discard();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(evaluate_arithmetic);

// A cached regular expression over a 10,000-byte value that does not match.
void match_regex_long_value(benchmark::State& state) {
  const std::string value(10000, 'a');
  const std::string pattern = "a?a?a?a?a?a?a?aaaaaaab|^x";
  for (auto _ : state)
    benchmark::DoNotOptimize(eval::match_texts(value.data(), value.size(), pattern.data(),
                                               pattern.size(), eval::match_regex));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(value.size()));
}
BENCHMARK(match_regex_long_value);

void match_wildcard_long_value(benchmark::State& state) {
  const std::string value(10000, 'a');
  const std::string pattern = "a*a*a*a*a*b";  // no leading star: the full walk decides
  for (auto _ : state)
    benchmark::DoNotOptimize(eval::match_texts(value.data(), value.size(), pattern.data(),
                                               pattern.size(), eval::match_wildcard));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(value.size()));
}
BENCHMARK(match_wildcard_long_value);

}  // namespace

BENCHMARK_MAIN();
