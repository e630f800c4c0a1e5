// A queue of the program with a one-field text record (GBQ:LINE,
// GLQ:FILENAME): the record buffer the program fills and reads, and the
// runtime queue that stores copies of it.
#pragma once

#include <cstdint>

#include "runtime/queue.h"

namespace app {

class ProgramQueue {
 public:
  static constexpr uint32_t kMaxFieldSize = 255;
  // Group header and one STRING field with a label of up to 15 bytes.
  static constexpr uint32_t kLayoutCapacity = 34;

  // `label` is the field's name with the queue's prefix ("GBQ:LINE").
  ProgramQueue(const char* label, uint32_t field_size);
  ProgramQueue(const ProgramQueue&) = delete;
  ProgramQueue& operator=(const ProgramQueue&) = delete;

  // The record buffer: field_size() bytes, space-padded, no terminator.
  char* field() { return field_; }
  uint32_t field_size() const { return queue_.record_size; }
  void clear_field();

  // Stores a copy of the record buffer after the last record.
  void append() { rt::queue_append(&queue_); }
  uint32_t records() { return rt::queue_count(&queue_); }
  // Copies record `position` (from 1) into the record buffer; a position
  // with no record posts "Entry Not Found".
  void get(uint32_t position) { rt::queue_read(&queue_, static_cast<int32_t>(position)); }
  // Frees every stored record.
  void free() { rt::queue_release(&queue_); }

 private:
  char field_[kMaxFieldSize];
  uint8_t layout_[kLayoutCapacity];
  rt::QueueDescriptor queue_;
};

}  // namespace app
