// Temporary body while the arena heap is written: blocks come from the C
// library with an 8-byte size header so the interface already behaves.
#include "lifecycle/heap.h"

#include <cstdlib>
#include <cstring>

namespace life {

struct HeapState {};

Heap::Heap() : state_(nullptr) {}
Heap::~Heap() = default;

bool Heap::injected_failure() {
  if (fail_countdown_ == 0) return false;
  return --fail_countdown_ == 0;
}

void Heap::fail_allocation(std::uint32_t nth) { fail_countdown_ = nth; }

void* Heap::allocate(std::uint32_t n) {
  if (n == 0 || injected_failure()) return nullptr;
  auto* base = static_cast<unsigned char*>(std::malloc(std::size_t{n} + 8));
  if (base == nullptr) return nullptr;
  std::uint32_t size = ((n + 7u) & ~7u) + 8u;
  std::memcpy(base + 4, &size, 4);
  base[3] = tag_allocated;
  return base + 8;
}

void* Heap::allocate_zeroed(std::uint32_t count, std::uint32_t size) {
  std::uint64_t bytes = std::uint64_t{count} * size;
  if (bytes == 0 || bytes > 0xFFFFFFFFu) return nullptr;
  void* p = allocate(static_cast<std::uint32_t>(bytes));
  if (p != nullptr) std::memset(p, 0, bytes);
  return p;
}

void* Heap::resize(void* p, std::uint32_t n) {
  if (p == nullptr) return allocate(n);
  if (n == 0) {
    release(p);
    return nullptr;
  }
  void* q = allocate(n);
  if (q == nullptr) return nullptr;
  std::uint32_t old = block_size(p) - 8;
  std::memcpy(q, p, old < n ? old : n);
  release(p);
  return q;
}

void Heap::release(void* p) {
  if (p != nullptr) std::free(static_cast<unsigned char*>(p) - 8);
}

std::uint32_t Heap::block_size(const void* p) {
  std::uint32_t size;
  std::memcpy(&size, static_cast<const unsigned char*>(p) - 4, 4);
  return size;
}

void Heap::walk(BlockVisitor, void*) const {}
HeapCheck Heap::validate() const { return {}; }

Heap& process_heap() {
  static Heap* heap = new Heap();
  return *heap;
}

}  // namespace life
