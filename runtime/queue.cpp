#include "runtime/queue.h"

#include <cstring>

#include "runtime/date_time.h"
#include "runtime/queue_packing.h"
#include "runtime/record_descriptor.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace rt {

// A list of positions: pointers to stored records, a record stored once
// whatever the number of orders.
struct Order {
  void** records;
  uint32_t count;
  uint32_t capacity;
  int32_t current_index;  // -1: no current record
};

struct QueueObject {
  uint32_t record_size;
  const uint8_t* layout;
  QueueStorage storage;
  uint8_t* pack_area;  // packed storage only
  // Most recently used first; orders[0..order_count) are in use.
  Order* orders[kMaxOrders];
  uint32_t order_count;
  Order* current;
  uint32_t change_stamp;
  int32_t field_count;  // -1 until computed
};

namespace {

// A packed stored record: its packed length, then the packed bytes.
struct PackedRecord {
  uint32_t length;
  uint8_t bytes[1];
};
constexpr uint32_t kPackedRecordHeader = offsetof(PackedRecord, bytes);

// Where a record descriptor's group header keeps its number of fields.
constexpr uint32_t kGroupFieldCountOffset = 6;

void post(int32_t code) { svc::error_state().post(code); }

Order* make_order() {
  auto* order = static_cast<Order*>(svc::allocate_zeroed(1, sizeof(Order)));
  if (order != nullptr) order->current_index = -1;
  return order;
}

void release_order(Order* order) {
  if (order == nullptr) return;
  svc::release(order->records);
  svc::release(order);
}

QueueObject* make_object(const QueueDescriptor& d) {
  auto* q = static_cast<QueueObject*>(svc::allocate_zeroed(1, sizeof(QueueObject)));
  if (q == nullptr) return nullptr;
  q->record_size = d.record_size;
  q->layout = d.layout;
  q->field_count = -1;
  q->storage = QueueStorage::plain;
  if (d.record_size >= kPackedRecordSize) {
    q->pack_area = static_cast<uint8_t*>(svc::allocate(packed_capacity_for(d.record_size)));
    q->storage = q->pack_area != nullptr ? QueueStorage::packed : QueueStorage::unpacked;
  }
  q->orders[0] = make_order();
  if (q->orders[0] == nullptr) {
    svc::release(q->pack_area);
    svc::release(q);
    return nullptr;
  }
  q->order_count = 1;
  q->current = q->orders[0];
  q->change_stamp = static_cast<uint32_t>(CLOCK()) * kStampFactor;
  return q;
}

// The common start of every operation: clear the error, check the
// descriptor, make the object on first use.
QueueObject* prepare(QueueDescriptor* d) {
  svc::error_state().clear();
  // A descriptor without a record to copy from and to is as unusable as none.
  if (d == nullptr || d->record_buffer == nullptr || d->record_size == 0) {
    post(svc::err::memory_corrupted);
    return nullptr;
  }
  if (d->object == nullptr) {
    d->object = make_object(*d);
    if (d->object == nullptr) post(svc::err::insufficient_memory);
  }
  return d->object;
}

void make_current_most_recent(QueueObject& q) {
  uint32_t at = 0;
  while (at < q.order_count && q.orders[at] != q.current) ++at;
  for (; at > 0; --at) q.orders[at] = q.orders[at - 1];
  q.orders[0] = q.current;
}

void* store_record(QueueObject& q, const void* buffer) {
  if (q.storage != QueueStorage::packed) {
    void* copy = svc::allocate(q.record_size);
    if (copy != nullptr) std::memcpy(copy, buffer, q.record_size);
    return copy;
  }
  const uint32_t length = pack_record(static_cast<const uint8_t*>(buffer), q.record_size,
                                      q.pack_area, packed_capacity_for(q.record_size));
  if (length == 0) return nullptr;
  auto* stored = static_cast<PackedRecord*>(svc::allocate(kPackedRecordHeader + length));
  if (stored == nullptr) return nullptr;
  stored->length = length;
  std::memcpy(stored->bytes, q.pack_area, length);
  return stored;
}

bool make_room(Order& order) {
  if (order.count < order.capacity) return true;
  const uint32_t capacity = order.capacity == 0 ? 16 : order.capacity * 2;
  if (capacity > UINT32_MAX / sizeof(void*)) return false;
  void* grown = svc::resize(order.records, capacity * static_cast<uint32_t>(sizeof(void*)));
  if (grown == nullptr) return false;
  order.records = static_cast<void**>(grown);
  order.capacity = capacity;
  return true;
}

// Without a key to order by, a record's key position in another order is its
// end, as in the order of appending. The order has room (make_room).
void add_to_order(Order& order, void* record) { order.records[order.count++] = record; }

}  // namespace

void queue_append(QueueDescriptor* d) {
  QueueObject* q = prepare(d);
  if (q == nullptr) return;
  make_current_most_recent(*q);
  void* record = store_record(*q, d->record_buffer);
  // Every order must have room before any takes the record, so that a
  // failure leaves all of them as they were.
  bool room = record != nullptr;
  for (uint32_t i = 0; room && i < q->order_count; ++i) room = make_room(*q->orders[i]);
  if (!room) {
    svc::release(record);
    post(svc::err::insufficient_memory);
    return;
  }
  for (uint32_t i = q->order_count; i-- > 1;) add_to_order(*q->orders[i], record);
  add_to_order(*q->current, record);
  q->current->current_index = static_cast<int32_t>(q->current->count) - 1;
  ++q->change_stamp;
}

void queue_read(QueueDescriptor* d, int32_t position) {
  QueueObject* q = prepare(d);
  if (q == nullptr) return;
  make_current_most_recent(*q);
  Order& order = *q->current;
  if (position == 0) order.current_index = -1;
  if (position <= 0 || static_cast<uint32_t>(position) > order.count) {
    post(svc::err::entry_not_found);
    return;
  }
  order.current_index = position - 1;
  const void* stored = order.records[position - 1];
  if (q->storage != QueueStorage::packed) {
    std::memcpy(d->record_buffer, stored, q->record_size);
    return;
  }
  const auto* packed = static_cast<const PackedRecord*>(stored);
  if (unpack_record(packed->bytes, packed->length, static_cast<uint8_t*>(d->record_buffer),
                    q->record_size) != q->record_size) {
    post(svc::err::memory_corrupted);
  }
}

uint32_t queue_count(QueueDescriptor* d) {
  QueueObject* q = prepare(d);
  return q == nullptr ? 0 : q->current->count;
}

uint32_t queue_change_stamp(QueueDescriptor* d) {
  QueueObject* q = prepare(d);
  return q == nullptr ? 0 : q->change_stamp;
}

uint32_t queue_field_count(QueueDescriptor* d) {
  QueueObject* q = prepare(d);
  if (q == nullptr) return 0;
  if (q->field_count < 0) {
    q->field_count = q->layout == nullptr ? 0 : static_cast<int32_t>(rt::read_u32(q->layout + kGroupFieldCountOffset));
  }
  return static_cast<uint32_t>(q->field_count);
}

void queue_release(QueueDescriptor* d) {
  if (d == nullptr || d->object == nullptr) return;
  QueueObject* q = d->object;
  // Every order holds every record: free the records through the first one.
  Order* all = q->orders[0];
  for (uint32_t i = 0; i < all->count; ++i) svc::release(all->records[i]);
  for (uint32_t i = 0; i < q->order_count; ++i) release_order(q->orders[i]);
  svc::release(q->pack_area);
  svc::release(q);
  d->object = nullptr;
}

QueueStorage queue_storage(const QueueDescriptor* d) {
  return d == nullptr || d->object == nullptr ? QueueStorage::plain : d->object->storage;
}

int32_t queue_current_index(const QueueDescriptor* d) {
  return d == nullptr || d->object == nullptr ? -1 : d->object->current->current_index;
}

}  // namespace rt
