#include "drivers/open_files.h"

#include <cstring>

#include "drivers/file_instance.h"
#include "drivers/operation_codes.h"
#include "drivers/rule_table.h"
#include "services/error_state.h"
#include "services/heap.h"
#include "services/process_state.h"
#include "services/thread_records.h"

namespace drv {
namespace {

// A growable array of pointers in a runtime heap block.
struct PointerList {
  void** items = nullptr;
  uint32_t count = 0;
  uint32_t capacity = 0;

  bool push(void* p) {
    if (count == capacity) {
      uint32_t grown = capacity ? capacity * 2 : 8;
      void* block = svc::resize(items, grown * uint32_t(sizeof(void*)));
      if (!block) return false;
      items = static_cast<void**>(block);
      capacity = grown;
    }
    items[count++] = p;
    return true;
  }
  void remove_at(uint32_t i) {
    std::memmove(items + i, items + i + 1, (count - i - 1) * sizeof(void*));
    --count;
  }
  int32_t find(const void* p) const {
    for (uint32_t i = count; i-- > 0;)
      if (items[i] == p) return int32_t(i);
    return -1;
  }
};

struct ThreadCopy {
  FileDeclaration* original;
  FileDeclaration* copy;
};

thread_local PointerList t_in_use;
thread_local PointerList t_copies;  // ThreadCopy blocks

template <class T>
T* heap_copy(const T* source, uint32_t count) {
  if (!source || count == 0) return nullptr;
  auto* block = static_cast<T*>(svc::allocate(count * uint32_t(sizeof(T))));
  if (block) std::memcpy(static_cast<void*>(block), source, count * sizeof(T));
  return block;
}

FileDeclaration* make_thread_copy(FileDeclaration* file) {
  FileDeclaration* copy = heap_copy(file, 1);
  auto* entry = static_cast<ThreadCopy*>(svc::allocate(sizeof(ThreadCopy)));
  if (!copy || !entry) {
    svc::release(copy);
    svc::release(entry);
    return nullptr;
  }
  copy->instance = nullptr;
  copy->record = heap_copy(file->record, file->record_length);
  copy->keys = heap_copy(file->keys, file->key_count);
  copy->memos = heap_copy(file->memos, file->memo_count);
  *entry = {file, copy};
  if ((file->record_length && !copy->record) || !t_copies.push(entry)) {
    svc::release(copy->record);
    svc::release(copy->keys);
    svc::release(const_cast<MemoDescriptor*>(copy->memos));
    svc::release(copy);
    svc::release(entry);
    return nullptr;
  }
  return copy;
}

}  // namespace

// The runtime's thread record of the calling thread, looked up once per thread.
uint32_t current_thread_number() {
  uint32_t& number = detail::t_thread_number;
  if (number == 0) {
    svc::ThreadRecords& records = svc::thread_records();
    svc::ThreadRecord* record = records.current();
    number = record ? uint32_t(records.index_of(*record)) + 1 : 0xFFFFFFFFu;
  }
  return number;
}

FileDeclaration* thread_copy(FileDeclaration* file) {
  if (current_thread_number() == 1) return file;
  for (uint32_t i = 0; i < t_copies.count; ++i) {
    auto* entry = static_cast<ThreadCopy*>(t_copies.items[i]);
    if (entry->original == file) return entry->copy;
  }
  return make_thread_copy(file);
}

void enter_file_in_use(FileDeclaration* file) {
  svc::process_state().set_final_file_cleanup(&close_all_files);
  int32_t at = t_in_use.find(file);
  if (at >= 0) t_in_use.remove_at(uint32_t(at));
  t_in_use.push(file);
}

void leave_file_in_use(FileDeclaration* file) {
  int32_t at = t_in_use.find(file);
  if (at >= 0) t_in_use.remove_at(uint32_t(at));
}

uint32_t files_in_use() { return t_in_use.count; }

void close_all_files() {
  svc::ErrorState& errors = svc::error_state();
  errors.save();
  while (t_in_use.count > 0) {
    auto* file = static_cast<FileDeclaration*>(t_in_use.items[t_in_use.count - 1]);
    FileInstance* instance = file->instance;
    if (instance && (instance->state & kTransaction)) file->driver(OP_ROLLBACK, file, nullptr);
    // CLOSE drops the instance (and with it the entry) whether it was open or not.
    file->driver(OP_CLOSE, file, nullptr);
    if (t_in_use.count > 0 && t_in_use.items[t_in_use.count - 1] == file) leave_file_in_use(file);
  }
  errors.restore();
}

}  // namespace drv
