// Walking and validating the heap, for debugging and tests: every arena is
// followed block by block through the size words and every rule of the tags
// is checked, then the free-chunk list is checked against what the arenas
// hold.
#include "services/heap.h"
#include "services/heap_layout.h"

namespace svc {

using namespace heap_layout;

namespace {

const byte* first_block(const void* arena) { return static_cast<const byte*>(arena) + header_bytes; }
const byte* end_sentinel(const void* arena) {
  return static_cast<const byte*>(arena) + end_sentinel_offset + header_bytes;
}

// A size that keeps the walk inside the arena.
bool sane_size(const byte* p, std::uint32_t size, const byte* end) {
  return size >= 16 && size % 8 == 0 && size <= static_cast<std::uint32_t>(end - p);
}

}  // namespace

void Heap::walk(BlockVisitor visit, void* context) const {
  for (std::uint32_t i = 0; i < arenas_.count; ++i) {
    const byte* end = end_sentinel(arenas_[i]);
    for (const byte* p = first_block(arenas_[i]); p < end;) {
      std::uint32_t size = size_of(p);
      if (!sane_size(p, size, end)) break;
      visit(BlockView{p, size, tag_of(p)}, context);
      p += size;
    }
  }
}

// Checks one arena's chain of blocks; gives the first broken rule or null.
const char* Heap::check_arena(const byte* arena, HeapCheck& check) const {
  const byte* end = end_sentinel(arena);
  if (preceding_tag_of(first_block(arena)) != tag_sentinel || tag_of(end) != tag_sentinel) {
    check.where = arena;
    return "arena sentinel damaged";
  }
  byte previous = tag_sentinel;
  const byte* p = first_block(arena);
  for (; p < end; p += size_of(p)) {
    check.where = p;
    byte tag = tag_of(p);
    std::uint32_t size = size_of(p);
    if (tag != tag_allocated && tag != tag_free) return "unknown block tag";
    if (preceding_tag_of(p) != previous) return "preceding tag does not match the block before";
    if (!sane_size(p, size, end)) return "illegal block size";
    if (tag == tag_free) {
      if (previous == tag_free) return "two adjacent free chunks";
      const FreeNode* node = chunk_node(p, size);
      if (node == nullptr || node->start != p || node->size != size) {
        return "free chunk and its node disagree";
      }
      ++check.free_chunks;
      check.free_bytes += size;
    } else {
      ++check.allocated_blocks;
    }
    previous = tag;
  }
  check.where = p;
  if (p != end) return "blocks overrun the end sentinel";
  if (preceding_tag_of(end) != previous) return "end sentinel's preceding tag is wrong";
  return nullptr;
}

// The circular list must link both ways and hold exactly the arenas' chunks.
const char* Heap::check_free_list(HeapCheck& check) const {
  bool rover_seen = rover_ == &sentinel_;
  for (const FreeNode* node = sentinel_.next; node != &sentinel_; node = node->next) {
    check.where = node->start;
    if (node->next->prev != node) return "free list links broken";
    if (++check.free_nodes > check.free_chunks) return "free list holds nodes of no chunk";
    rover_seen = rover_seen || node == rover_;
  }
  check.where = nullptr;
  if (check.free_nodes != check.free_chunks) return "free chunk missing from the free list";
  if (!rover_seen) return "rover is not on the free list";
  return nullptr;
}

HeapCheck Heap::validate() const {
  HeapCheck check;
  check.arenas = arenas_.count;
  for (std::uint32_t i = 0; i < arenas_.count && check.fault == nullptr; ++i) {
    check.fault = check_arena(static_cast<const byte*>(arenas_[i]), check);
  }
  if (check.fault == nullptr) check.fault = check_free_list(check);
  if (check.fault == nullptr) check.where = nullptr;
  return check;
}

}  // namespace svc
