// The runtime heap: every dynamic allocation of the runtime and the program.
//
// Small blocks live in arenas of 0x20000 bytes taken from the system's memory
// regions; each block carries an 8-byte boundary-tag header. Free chunks are
// described by nodes kept outside the arenas (so releasing never allocates
// from the arenas) and found by a next-fit search from a rover. Requests whose
// block would exceed 53248 bytes get a memory region of their own.
//
// Exhaustion gives null, never an error box. Misuse that the tags reveal
// (releasing a block twice, releasing something that is no heap block) goes to
// the runtime error box as a diagnostic.
//
// The heap has no lock: callers that run runtime code on several threads
// serialise through the runtime lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

namespace svc {

class Heap;

// Block tags, the byte at user pointer - 5.
inline constexpr std::uint8_t tag_allocated = 0xA3;
inline constexpr std::uint8_t tag_free = 0x34;
inline constexpr std::uint8_t tag_large = 0xE7;
inline constexpr std::uint8_t tag_sentinel = 0x17;

inline constexpr std::uint32_t arena_bytes = 0x20000;
// The largest block (header included) that an arena serves.
inline constexpr std::uint32_t largest_arena_block = 0xD000;
// Free-chunk nodes taken from the system at once when the pool is empty.
inline constexpr std::uint32_t nodes_per_refill = 3500;

// One block as the heap walk sees it. `user` is the pointer a caller holds
// (for a free chunk, the chunk's start); `size` includes the 8-byte header.
struct BlockView {
  const void* user;
  std::uint32_t size;
  std::uint8_t tag;
};

// What a full walk of the heap found. `fault` is null when every arena is
// consistent; otherwise it names the first broken rule and `where` the block.
struct HeapCheck {
  const char* fault = nullptr;
  const void* where = nullptr;
  std::uint32_t arenas = 0;
  std::uint32_t allocated_blocks = 0;
  std::uint32_t free_chunks = 0;
  std::uint32_t free_nodes = 0;  // nodes in the free-chunk list
  std::uint64_t free_bytes = 0;
  bool ok() const { return fault == nullptr; }
};

using BlockVisitor = void (*)(const BlockView& block, void* context);

// A growable table of region addresses (arenas, node pools). The first few
// are kept inside it, which is all a short run needs; more move the table to
// a memory region of its own, so that the heap never needs another allocator.
struct RegionTable {
  static constexpr std::uint32_t kept_inside = 8;
  void* inside[kept_inside] = {};
  void** outside = nullptr;  // the whole table once it has grown
  std::uint32_t count = 0;
  std::uint32_t capacity = kept_inside;
  void* const* slots() const { return outside != nullptr ? outside : inside; }
  void** slots() { return outside != nullptr ? outside : inside; }
  void* operator[](std::uint32_t i) const { return slots()[i]; }
  bool push(void* region);  // false when the table cannot grow
  // Gives every region (each `region_bytes` long) and the table back.
  void release_all(std::size_t region_bytes);
};

class Heap {
 public:
  Heap();
  // Gives every arena and node pool of this heap back to the system (large
  // blocks are regions of their own and go with their release). Only test
  // heaps are ever destroyed.
  ~Heap();
  Heap(const Heap&) = delete;
  Heap& operator=(const Heap&) = delete;

  // A block of at least n bytes, or null (n = 0, or no memory).
  void* allocate(std::uint32_t n);
  // count * size zero bytes, or null when either is 0, the product does not
  // fit in 32 bits, or no memory.
  void* allocate_zeroed(std::uint32_t count, std::uint32_t size);
  // Resized in place when possible, else moved. p null acts as allocate(n);
  // n = 0 releases p and gives null; on failure gives null and p stays valid.
  void* resize(void* p, std::uint32_t n);
  // Releases p (null does nothing); misuse is reported as a diagnostic.
  void release(void* p);

  // The block size (header included) of an allocated or large block.
  static std::uint32_t block_size(const void* p);

  // How many requests for new storage found no memory (injected failures
  // included). A caller that must not go on with data lost to a failed
  // allocation somewhere (a string left empty, a queue entry not added)
  // compares this with its value at the start.
  std::uint64_t refusals() const { return refusals_; }

  // Test hook: the nth request for new storage from now on (1 = the next)
  // fails as if the system had no memory left; 0 disarms it. Requests are
  // calls of allocate, allocate_zeroed and resize with n > 0.
  void fail_allocation(std::uint32_t nth = 1);

  // Visits every block of every arena (sentinels excluded): the arenas in
  // the order they were made, the blocks of each in address order.
  void walk(BlockVisitor visit, void* context) const;
  // Walks the arenas and the free-chunk list and checks the tag rules.
  HeapCheck validate() const;

 private:
  // Free-chunk node. It lives outside the arenas; the chunk refers to it by
  // `index` (a 32-bit word in its last bytes), never by address, so every
  // block layout stays as compact as on a 32-bit system.
  struct FreeNode {
    FreeNode* prev;
    FreeNode* next;
    std::uint32_t size;   // the chunk's size, as in its header
    std::uint32_t index;  // (pool number + 1) << 12 | slot; 0 is the sentinel
    std::uint8_t* start;  // the chunk's user pointer
  };
  static_assert(sizeof(FreeNode) == 3 * sizeof(void*) + 8, "nodes are packed without gaps");

  bool injected_failure();
  void* allocate_block(std::uint32_t n);
  void* allocate_large(std::uint32_t n);
  FreeNode* find_fit(std::uint32_t c);
  FreeNode* grow();
  std::uint8_t* carve(FreeNode* node, std::uint32_t c);
  void free_block(std::uint8_t* p);
  bool resize_in_place(std::uint8_t* p, std::uint32_t n);
  FreeNode* take_node();
  void give_node(FreeNode* node);
  bool refill_pool();
  FreeNode* node_at(std::uint32_t index) const;
  FreeNode* chunk_node(const std::uint8_t* start, std::uint32_t size) const;
  void insert_after_sentinel(FreeNode* node);
  static void unlink(FreeNode* node);
  const char* check_arena(const std::uint8_t* arena, HeapCheck& check) const;
  const char* check_free_list(HeapCheck& check) const;

  FreeNode sentinel_;
  FreeNode* rover_;
  FreeNode* pool_ = nullptr;  // spare nodes given back, linked through `next`
  // The newest node region's nodes not yet handed out, in address order:
  // a region is made ready a node at a time, so a short run touches only
  // the nodes it uses.
  FreeNode* unused_ = nullptr;
  std::uint32_t unused_count_ = 0;
  RegionTable node_pools_;
  RegionTable arenas_;
  std::uint32_t fail_countdown_ = 0;
  std::uint64_t refusals_ = 0;
};

// The process-wide heap. It is never destroyed, so blocks handed out stay
// valid until the process ends. Tests that need exact layouts build their
// own Heap instead of resetting this one.
Heap& process_heap();

// The heap operations of the runtime, all on the process-wide heap.
inline void* allocate(std::uint32_t n) { return process_heap().allocate(n); }
inline void* allocate_zeroed(std::uint32_t count, std::uint32_t size) {
  return process_heap().allocate_zeroed(count, size);
}
inline void* resize(void* p, std::uint32_t n) { return process_heap().resize(p, n); }
inline void release(void* p) { process_heap().release(p); }

// Arms the process heap's fault hook for the lifetime of the guard and
// disarms it afterwards, so one test's injected failure never leaks into the
// next.
class HeapFailureGuard {
 public:
  explicit HeapFailureGuard(std::uint32_t nth = 1) { process_heap().fail_allocation(nth); }
  ~HeapFailureGuard() { process_heap().fail_allocation(0); }
  HeapFailureGuard(const HeapFailureGuard&) = delete;
  HeapFailureGuard& operator=(const HeapFailureGuard&) = delete;
};

// Allocator for C++ containers that hold runtime data: storage comes from the
// process-wide heap. Exhaustion throws std::bad_alloc, as containers expect.
template <class T>
struct HeapAllocator {
  static_assert(alignof(T) <= 8, "heap blocks are aligned to 8 bytes");
  using value_type = T;

  HeapAllocator() noexcept = default;
  template <class U>
  HeapAllocator(const HeapAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    if (count > std::numeric_limits<std::uint32_t>::max() / sizeof(T)) throw std::bad_alloc();
    void* p = svc::allocate(static_cast<std::uint32_t>(count * sizeof(T)));
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept { svc::release(p); }

  template <class U>
  bool operator==(const HeapAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace svc
