#include "app/program_queue.h"

#include "runtime/record_descriptor.h"
#include "runtime/string_value.h"

namespace app {

ProgramQueue::ProgramQueue(const char* label, uint32_t field_size) {
  const uint32_t size = field_size < kMaxFieldSize ? field_size : kMaxFieldSize;
  rt::DescriptorWriter writer(layout_, kLayoutCapacity);
  writer.begin_group();
  writer.field(rt::FT_STRING, label, size);
  writer.end_group();
  queue_.record_buffer = field_;
  queue_.layout = writer.length() ? layout_ : nullptr;
  queue_.record_size = size;
  clear_field();
}

void ProgramQueue::clear_field() { rt::fill_spaces(field_, queue_.record_size); }

}  // namespace app
