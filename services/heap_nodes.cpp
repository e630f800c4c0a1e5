// The free-chunk list and its node pool. Nodes live outside the arenas, so
// releasing a block never allocates from an arena; spare nodes are recycled
// through the pool, which takes 3500 at a time from the system and hands
// them out in address order.
#include <cstring>

#include "platform/memory.h"
#include "services/heap.h"
#include "services/heap_layout.h"

namespace svc {

namespace {

constexpr std::uint32_t slot_bits = 12;
constexpr std::uint32_t slot_mask = (1u << slot_bits) - 1;
static_assert(nodes_per_refill <= slot_mask + 1, "a pool's slots must fit the index's slot field");
// Pool numbers are kept below this so that (number + 1) << 12 fits 32 bits.
constexpr std::uint32_t pool_limit = (0xFFFFFFFFu >> slot_bits) - 1;

}  // namespace

using heap_layout::region_alloc;
using heap_layout::region_free;

bool RegionTable::push(void* region) {
  if (count == capacity) {
    std::uint32_t grown = outside == nullptr ? 512 : capacity * 2;
    auto* larger = static_cast<void**>(region_alloc(std::size_t{grown} * sizeof(void*)));
    if (larger == nullptr) return false;
    std::memcpy(larger, slots(), std::size_t{count} * sizeof(void*));
    if (outside != nullptr) region_free(outside, std::size_t{capacity} * sizeof(void*));
    outside = larger;
    capacity = grown;
  }
  slots()[count++] = region;
  return true;
}

void RegionTable::release_all(std::size_t region_bytes) {
  for (std::uint32_t i = 0; i < count; ++i) region_free((*this)[i], region_bytes);
  if (outside != nullptr) region_free(outside, std::size_t{capacity} * sizeof(void*));
  *this = RegionTable();
}

Heap::FreeNode* Heap::take_node() {
  if (FreeNode* node = pool_) {
    pool_ = node->next;
    return node;
  }
  if (unused_count_ == 0 && !refill_pool()) return nullptr;
  std::uint32_t slot = nodes_per_refill - unused_count_--;
  FreeNode* node = unused_++;
  *node = FreeNode{nullptr, nullptr, 0, node_pools_.count << slot_bits | slot, nullptr};
  return node;
}

void Heap::give_node(FreeNode* node) {
  node->next = pool_;
  pool_ = node;
}

// One region of 3500 nodes, handed out from its start.
bool Heap::refill_pool() {
  if (node_pools_.count >= pool_limit) return false;
  auto* nodes = static_cast<FreeNode*>(region_alloc(nodes_per_refill * sizeof(FreeNode)));
  if (nodes == nullptr) return false;
  if (!node_pools_.push(nodes)) {
    region_free(nodes, nodes_per_refill * sizeof(FreeNode));
    return false;
  }
  unused_ = nodes;
  unused_count_ = nodes_per_refill;
  return true;
}

// The node for an index read from a chunk; null when no pool holds it.
Heap::FreeNode* Heap::node_at(std::uint32_t index) const {
  std::uint32_t pool = index >> slot_bits;
  std::uint32_t slot = index & slot_mask;
  if (pool == 0 || pool > node_pools_.count || slot >= nodes_per_refill) return nullptr;
  return static_cast<FreeNode*>(node_pools_[pool - 1]) + slot;
}

Heap::FreeNode* Heap::chunk_node(const std::uint8_t* start, std::uint32_t size) const {
  return node_at(heap_layout::chunk_node_index(start, size));
}

void Heap::insert_after_sentinel(FreeNode* node) {
  node->prev = &sentinel_;
  node->next = sentinel_.next;
  sentinel_.next->prev = node;
  sentinel_.next = node;
}

void Heap::unlink(FreeNode* node) {
  node->prev->next = node->next;
  node->next->prev = node->prev;
}

}  // namespace svc
