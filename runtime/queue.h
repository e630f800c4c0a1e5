// Queues: in-memory lists of records of one fixed layout.
//
// The application declares a queue as a descriptor over its record buffer.
// It fills the buffer and appends a copy; later it reads a record back by
// position, which copies it into the buffer. The queue object behind a
// descriptor is made by the first operation and lives until the program
// releases its queues at shutdown.
//
// Every operation first clears the current error code. A null descriptor
// (or one without a record buffer) posts 7; running out of memory posts 8; a position outside 1..count posts
// 30.
#pragma once

#include <cstdint>

namespace rt {

struct QueueObject;

// One declared queue, field by field:
//   record_buffer  the queue's record: the fields the application reads and writes
//   layout         the record descriptor (a group header first), may be null
//   object         null until the first operation, then the queue object
//   record_size    bytes of the record buffer
struct QueueDescriptor {
  void* record_buffer = nullptr;
  const uint8_t* layout = nullptr;
  QueueObject* object = nullptr;
  uint32_t record_size = 0;
};

// Records of this size and more are stored packed.
inline constexpr uint32_t kPackedRecordSize = 128;
inline constexpr uint32_t kMaxOrders = 16;

// How a queue stores its records.
enum class QueueStorage : uint8_t {
  plain,     // a copy of the record buffer
  packed,    // the run-length packed form
  unpacked,  // large records without a packing area: a plain copy
};

// Stores a copy of the record buffer at the end of the current order.
void queue_append(QueueDescriptor* queue);
// Copies the record at `position` (from 1) of the current order into the
// record buffer and makes it the current record.
void queue_read(QueueDescriptor* queue, int32_t position);
// Records in the current order.
uint32_t queue_count(QueueDescriptor* queue);
// Changes with every append: the time serial at creation times 25781083,
// plus one per append, modulo 2^32.
uint32_t queue_change_stamp(QueueDescriptor* queue);
// Fields of the record layout, computed once.
uint32_t queue_field_count(QueueDescriptor* queue);
// Releases the queue object and its records; the descriptor starts over.
// Used by the program's shutdown and between tests.
void queue_release(QueueDescriptor* queue);

// For tests: how the queue stores its records (plain when it has no object).
QueueStorage queue_storage(const QueueDescriptor* queue);
// For tests: the current record's index (from 0) in the current order, -1
// when there is none.
int32_t queue_current_index(const QueueDescriptor* queue);

}  // namespace rt
