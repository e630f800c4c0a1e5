// The heap's packed layouts and the only code that reads or writes them.
//
// Block header, the 8 bytes before a user pointer p:
//   p - 8   1  preceding tag: tag of the block just before (0x34 when free)
//   p - 7   2  not used
//   p - 5   1  this block's tag
//   p - 4   4  block size, header included, a multiple of 8
// A free chunk of size s starting at p keeps its node's index in the 4 bytes
// at p + s - 12, just before the next block's header.
//
// Arena, one region of 0x20000 bytes:
//   0        0x17 preceding tag of the first chunk (start sentinel)
//   3        0x34 tag of the first chunk
//   4        131056, size of the first chunk
//   8        the first chunk (its user pointer)
//   131052   the first chunk's node index
//   131056   0x34 preceding tag of the end sentinel
//   131059   0x17 end-sentinel tag
//   131068   0
//
// Large block, one region of round-up(n, 8) + 24 bytes:
//   0  '#'   3  0xE7   4  round-up(n, 8) + 8   8  user data
//   8 + round-up(n, 8)  0xE7;  last 4 bytes  0
//
// In the sanitizer build every header, every free chunk and the bytes past
// each block's user size are poisoned, so a use after release or an overrun
// into the next header stops the program at the faulty access. The accessors
// below open the one 8-byte granule they touch and close it again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/memory.h"
#include "services/heap.h"

#if defined(MSGMAKE_SANITIZE)
#include <sanitizer/asan_interface.h>
#endif

namespace svc::heap_layout {

using byte = std::uint8_t;

struct BlockHeader {
  byte preceding_tag;
  byte unused[2];
  byte tag;
  std::uint32_t size;
};
static_assert(sizeof(BlockHeader) == 8);
static_assert(offsetof(BlockHeader, preceding_tag) == 0);
static_assert(offsetof(BlockHeader, tag) == 3);
static_assert(offsetof(BlockHeader, size) == 4);

inline constexpr std::uint32_t header_bytes = sizeof(BlockHeader);
inline constexpr std::uint32_t first_chunk_size = arena_bytes - 16;       // 131056
inline constexpr std::uint32_t end_sentinel_offset = arena_bytes - 16;    // 131056
inline constexpr std::uint32_t smallest_split = 32;  // no smaller chunk is split off
inline constexpr std::uint32_t large_overhead = 24;
inline constexpr byte large_marker = '#';
static_assert(first_chunk_size == 131056);

inline constexpr std::uint32_t round_up8(std::uint32_t n) { return (n + 7u) & ~7u; }

#if defined(MSGMAKE_SANITIZE)
inline void poison(const void* p, std::size_t n) { __asan_poison_memory_region(p, n); }
inline void unpoison(const void* p, std::size_t n) { __asan_unpoison_memory_region(p, n); }
// Opens the granule holding [p, p + n) for the heap's own access; the
// destructor closes it again. Granules the heap touches are poisoned by
// design; one that is (partly) open, such as a block's user bytes that are
// about to become a chunk's header, or a pointer that is no heap block, is
// left as found.
class Granule {
 public:
  Granule(const void* p, std::size_t n)
      : base_(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(p) & ~std::uintptr_t{7})),
        was_poisoned_(__asan_region_is_poisoned(const_cast<void*>(p), n) != nullptr) {
    if (was_poisoned_) unpoison(base_, 8);
  }
  ~Granule() {
    if (was_poisoned_) poison(base_, 8);
  }
  Granule(const Granule&) = delete;
  Granule& operator=(const Granule&) = delete;

 private:
  const void* base_;
  bool was_poisoned_;
};
#else
inline void poison(const void*, std::size_t) {}
inline void unpoison(const void*, std::size_t) {}
struct Granule {
  Granule(const void*, std::size_t) {}
};
#endif

// Whole regions from the system, zero-filled.
inline void* region_alloc(std::size_t bytes) {
  return plat::VirtualAlloc(nullptr, bytes, plat::MEM_COMMIT | plat::MEM_RESERVE,
                            plat::PAGE_READWRITE);
}
// Regions given back must carry no poison, or a later region mapped at the
// same address would start out unreadable.
inline void region_free(void* region, std::size_t bytes) {
  unpoison(region, bytes);
  plat::VirtualFree(region, 0, plat::MEM_RELEASE);
}

// Debug builds fill fresh blocks and released chunks with distinct bytes, so
// that reading memory never written, or written no more, shows at once.
inline constexpr byte fresh_fill = 0xCD;
inline constexpr byte released_fill = 0xDD;
inline void fill([[maybe_unused]] byte* p, [[maybe_unused]] std::size_t n,
                 [[maybe_unused]] byte value) {
#if !defined(NDEBUG)
  std::memset(p, value, n);
#endif
}

inline byte read_byte(const byte* at) {
  Granule open(at, 1);
  return *at;
}
inline void write_byte(byte* at, byte value) {
  Granule open(at, 1);
  *at = value;
}
inline std::uint32_t read_word(const byte* at) {
  Granule open(at, 4);
  std::uint32_t value;
  std::memcpy(&value, at, 4);
  return value;
}
inline void write_word(byte* at, std::uint32_t value) {
  Granule open(at, 4);
  std::memcpy(at, &value, 4);
}

inline byte tag_of(const byte* p) { return read_byte(p - 5); }
inline byte preceding_tag_of(const byte* p) { return read_byte(p - 8); }
inline std::uint32_t size_of(const byte* p) { return read_word(p - 4); }

inline void write_header(byte* p, byte tag, std::uint32_t size) {
  write_byte(p - 5, tag);
  write_word(p - 4, size);
}
inline void set_preceding_tag(byte* p, byte tag) { write_byte(p - 8, tag); }

// The node index kept in the last word of a free chunk (before the next header).
inline std::uint32_t chunk_node_index(const byte* start, std::uint32_t size) {
  return read_word(start + size - 12);
}
inline void set_chunk_node_index(byte* start, std::uint32_t size, std::uint32_t index) {
  write_word(start + size - 12, index);
}

}  // namespace svc::heap_layout
