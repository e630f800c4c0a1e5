// A mixed workload of small blocks (allocate, resize, release, 8 to 256
// bytes, about 1000 live) run through the runtime heap and through the C
// library's allocator on the same operation list, so their ratio can be read
// from one run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "services/heap.h"

namespace {

constexpr std::size_t slots = 1024;
constexpr std::size_t operations = 1 << 16;

struct Operation {
  std::uint16_t slot;
  std::uint16_t size;
  bool resize;  // when the slot holds a block: resize it, else release it
};

const std::vector<Operation>& workload() {
  static const std::vector<Operation> list = [] {
    std::mt19937 random(2026);
    std::vector<Operation> all(operations);
    for (Operation& op : all) {
      op.slot = static_cast<std::uint16_t>(random() % slots);
      op.size = static_cast<std::uint16_t>(8 + random() % 249);
      op.resize = random() % 2 == 0;
    }
    return all;
  }();
  return list;
}

template <class Allocator>
void run(benchmark::State& state, Allocator& allocator) {
  std::vector<void*> live(slots, nullptr);
  for (auto _ : state) {
    for (const Operation& op : workload()) {
      void*& block = live[op.slot];
      if (block == nullptr) {
        block = allocator.allocate(op.size);
        static_cast<char*>(block)[0] = 1;
      } else if (op.resize) {
        block = allocator.resize(block, op.size);
      } else {
        allocator.release(block);
        block = nullptr;
      }
    }
    benchmark::DoNotOptimize(live.data());
  }
  for (void*& block : live) {
    if (block != nullptr) allocator.release(block);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * operations));
}

struct CLibrary {
  void* allocate(std::uint32_t n) { return std::malloc(n); }
  void* resize(void* p, std::uint32_t n) { return std::realloc(p, n); }
  void release(void* p) { std::free(p); }
};

void runtime_heap(benchmark::State& state) {
  static svc::Heap heap;
  run(state, heap);
}

void c_library_malloc(benchmark::State& state) {
  CLibrary allocator;
  run(state, allocator);
}

BENCHMARK(runtime_heap);
BENCHMARK(c_library_malloc);

}  // namespace

BENCHMARK_MAIN();
