#include "services/heap.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "services/heap_layout.h"
#include "services/runtime_error.h"

namespace svc {

using namespace heap_layout;

Heap::Heap() : sentinel_{&sentinel_, &sentinel_, 0, 0, nullptr}, rover_(&sentinel_) {}

Heap::~Heap() {
  arenas_.release_all(arena_bytes);
  node_pools_.release_all(nodes_per_refill * sizeof(FreeNode));
}

bool Heap::injected_failure() {
  if (fail_countdown_ == 0) return false;
  return --fail_countdown_ == 0;
}

void Heap::fail_allocation(std::uint32_t nth) { fail_countdown_ = nth; }

void* Heap::allocate(std::uint32_t n) {
  if (n == 0) return nullptr;
  void* p = injected_failure() ? nullptr : allocate_block(n);
  if (p == nullptr) ++refusals_;
  return p;
}

void* Heap::allocate_zeroed(std::uint32_t count, std::uint32_t size) {
  std::uint64_t bytes = std::uint64_t{count} * size;
  if (bytes == 0) return nullptr;
  // A product past 32 bits is refused rather than cut to a smaller block.
  if (bytes > 0xFFFFFFFFu) {
    ++refusals_;
    return nullptr;
  }
  void* p = allocate(static_cast<std::uint32_t>(bytes));
  if (p != nullptr) std::memset(p, 0, bytes);
  return p;
}

// allocate(n) for n > 0 without the fault hook.
void* Heap::allocate_block(std::uint32_t n) {
  std::uint32_t c = round_up8(n) + header_bytes;
  if (c < n) return nullptr;  // the size wrapped
  if (c > largest_arena_block) return allocate_large(n);
  FreeNode* node = find_fit(c);
  if (node == nullptr) node = grow();
  if (node == nullptr) return nullptr;
  byte* p = carve(node, c);
  unpoison(p, n);
  fill(p, n, fresh_fill);
  return p;
}

void* Heap::allocate_large(std::uint32_t n) {
  std::uint32_t rounded = round_up8(n);
  std::uint32_t total = rounded + large_overhead;
  if (rounded < n || total < rounded) return nullptr;
  auto* base = static_cast<byte*>(region_alloc(total));
  if (base == nullptr) return nullptr;
  byte* p = base + header_bytes;
  base[0] = large_marker;
  base[3] = tag_large;
  std::uint32_t size = rounded + header_bytes;
  std::memcpy(base + 4, &size, 4);
  p[rounded] = tag_large;  // the region is zero-filled: the last word is 0 already
  poison(base, header_bytes);
  poison(p + n, total - header_bytes - n);
  return p;
}

// Next fit: from the rover round the circular list, the first chunk that holds c.
Heap::FreeNode* Heap::find_fit(std::uint32_t c) {
  FreeNode* node = rover_;
  do {
    if (node->size >= c) return node;
    node = node->next;
  } while (node != rover_);
  return nullptr;
}

// A new arena whose one free chunk is described by a node right after the
// sentinel; the search restarts from the sentinel.
Heap::FreeNode* Heap::grow() {
  FreeNode* node = take_node();
  if (node == nullptr) return nullptr;
  auto* arena = static_cast<byte*>(region_alloc(arena_bytes));
  if (arena == nullptr || !arenas_.push(arena)) {
    if (arena != nullptr) region_free(arena, arena_bytes);
    give_node(node);
    return nullptr;
  }
  byte* first = arena + header_bytes;
  arena[0] = tag_sentinel;
  arena[3] = tag_free;
  std::memcpy(arena + 4, &first_chunk_size, 4);
  std::memcpy(arena + end_sentinel_offset - 4, &node->index, 4);
  arena[end_sentinel_offset] = tag_free;
  arena[end_sentinel_offset + 3] = tag_sentinel;
  poison(arena, arena_bytes);
  node->start = first;
  node->size = first_chunk_size;
  insert_after_sentinel(node);
  rover_ = &sentinel_;
  return node;
}

// Cuts a block of c bytes from the front of the node's chunk; a remainder
// under 32 bytes goes with the block rather than becoming a tiny chunk.
byte* Heap::carve(FreeNode* node, std::uint32_t c) {
  byte* p = node->start;
  if (node->size - c >= smallest_split) {
    node->start += c;
    node->size -= c;
    write_header(node->start, tag_free, node->size);
  } else {
    c = node->size;
    rover_ = node->prev;
    unlink(node);
    give_node(node);
  }
  write_header(p, tag_allocated, c);
  set_preceding_tag(p + c, tag_allocated);
  return p;
}

void Heap::release(void* user) {
  if (user == nullptr) return;
  auto* p = static_cast<byte*>(user);
  switch (tag_of(p)) {
    case tag_large:
      region_free(p - header_bytes, size_of(p) + large_overhead - header_bytes);
      return;
    case tag_allocated:
      free_block(p);
      return;
    case tag_free:
      report_diagnostic(diag::freed_twice);
      return;
    default:
      report_diagnostic(diag::corrupt_block);
      return;
  }
}

// Returns an arena block to the free set, merged with any free neighbour so
// that two free chunks are never adjacent.
void Heap::free_block(byte* p) {
  std::uint32_t s = size_of(p);
  byte* next = p + s;
  bool before_free = preceding_tag_of(p) == tag_free;
  bool after_free = tag_of(next) == tag_free;
  FreeNode* before = before_free ? node_at(read_word(p - 12)) : nullptr;
  FreeNode* after = after_free ? chunk_node(next, size_of(next)) : nullptr;
  if ((before_free && before == nullptr) || (after_free && after == nullptr)) {
    report_diagnostic(diag::corrupt_block);  // a neighbour's node index is damaged
    return;
  }
  FreeNode* fresh = nullptr;
  if (before == nullptr && after == nullptr) {
    fresh = take_node();
    if (fresh == nullptr) {
      report_diagnostic(diag::out_of_free_space);
      return;
    }
  }
  unpoison(p, s - header_bytes);
  fill(p, s - header_bytes, released_fill);
  poison(p, s - header_bytes);
  // A block swallowed by the chunk before it keeps a stale header; marking it
  // free makes a second release of it report "free'd twice" instead of
  // corrupting the chunk.
  write_byte(p - 5, tag_free);
  if (before != nullptr && after != nullptr) {
    before->size += s + after->size;
    set_chunk_node_index(before->start, before->size, before->index);
    write_header(before->start, tag_free, before->size);
    unlink(after);
    give_node(after);
    rover_ = before->prev;
  } else if (before != nullptr) {
    before->size += s;
    set_chunk_node_index(before->start, before->size, before->index);
    set_preceding_tag(next, tag_free);
    write_header(before->start, tag_free, before->size);
    rover_ = before->prev;
  } else if (after != nullptr) {
    after->start = p;
    after->size += s;
    write_header(p, tag_free, after->size);
    rover_ = after->prev;
  } else {
    fresh->start = p;
    fresh->size = s;
    write_header(p, tag_free, s);
    set_preceding_tag(next, tag_free);
    set_chunk_node_index(p, s, fresh->index);
    insert_after_sentinel(fresh);
    rover_ = &sentinel_;
  }
}

void* Heap::resize(void* user, std::uint32_t n) {
  if (user == nullptr) return allocate(n);
  if (n == 0) {
    release(user);
    return nullptr;
  }
  if (n > 0xFFFFFFF0u || injected_failure()) {
    ++refusals_;
    return nullptr;
  }
  auto* p = static_cast<byte*>(user);
  byte tag = tag_of(p);
  if (tag != tag_allocated && tag != tag_large) {
    release(p);  // reports the misuse; there is no block to resize
    return nullptr;
  }
  if (tag == tag_allocated && resize_in_place(p, n)) return p;
  void* moved = allocate_block(n);
  if (moved == nullptr) {
    ++refusals_;
    return nullptr;
  }
  std::uint32_t old_bytes = size_of(p) - header_bytes;
  unpoison(p, old_bytes);  // the slack past the old user size is copied too
  std::memcpy(moved, p, std::min(n, old_bytes));
  release(p);
  return moved;
}

// Grows or shrinks an arena block where it lies, trading bytes with a free
// chunk right after it. False when the block must move.
bool Heap::resize_in_place(byte* p, std::uint32_t n) {
  std::uint32_t c = round_up8(n) + header_bytes;
  if (c > largest_arena_block) return false;
  std::uint32_t s = size_of(p);
  byte* next = p + s;
  FreeNode* after = tag_of(next) == tag_free ? chunk_node(next, size_of(next)) : nullptr;
  if (c < s) {
    std::uint32_t spare = s - c;
    if (after != nullptr) {
      after->start -= spare;
      after->size += spare;
      write_header(after->start, tag_free, after->size);
    } else if (spare >= smallest_split) {
      FreeNode* node = take_node();
      if (node == nullptr) return false;
      node->start = p + c;
      node->size = spare;
      write_header(node->start, tag_free, spare);
      set_chunk_node_index(node->start, spare, node->index);
      set_preceding_tag(next, tag_free);
      insert_after_sentinel(node);
    } else {
      c = s;
    }
  } else if (c > s) {
    std::uint32_t need = c - s;
    if (after == nullptr || after->size < need) return false;
    if (after->size - need >= smallest_split) {
      after->start += need;
      after->size -= need;
      write_header(after->start, tag_free, after->size);
    } else {
      c = s + after->size;
      rover_ = after->prev;
      unlink(after);
      give_node(after);
    }
  }
  write_word(p - 4, c);
  set_preceding_tag(p + c, tag_allocated);
  poison(p, std::max(s, c) - header_bytes);
  unpoison(p, n);
  return true;
}

std::uint32_t Heap::block_size(const void* p) { return size_of(static_cast<const byte*>(p)); }

Heap& process_heap() {
  // Built in static storage and never destroyed: blocks handed out stay
  // valid through the whole exit sequence.
  alignas(Heap) static unsigned char storage[sizeof(Heap)];
  static Heap* heap = new (storage) Heap();
  return *heap;
}

}  // namespace svc
