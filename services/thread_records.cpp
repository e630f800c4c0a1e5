// The 64 thread records of the runtime.
#include "services/thread_records.h"

#include "platform/process.h"
#include "platform/sync.h"
#include "platform/window.h"
#include "services/runtime_lock.h"

namespace svc {

ThreadRecord* ThreadRecords::find(plat::DWORD thread_id) {
  for (ThreadRecord& record : records_) {
    if (record.thread_id != 0 && record.thread_id == thread_id) return &record;
  }
  return nullptr;
}

ThreadRecord* ThreadRecords::current() {
  plat::DWORD self = plat::GetCurrentThreadId();
  if (ThreadRecord* known = find(self)) return known;
  for (ThreadRecord& record : records_) {
    if (record.thread_id == 0) {
      clear(record);
      record.thread_id = self;
      return &record;
    }
  }
  return nullptr;
}

int ThreadRecords::other_thread_handles(plat::HANDLE* handles, int capacity) const {
  int count = 0;
  for (int i = main_thread_record + 1; i < thread_record_count && count < capacity; ++i) {
    if (records_[i].thread_id != 0) handles[count++] = records_[i].handle;
  }
  return count;
}

void ThreadRecords::wait_for_other_threads() {
  RuntimeLockRelease unlocked;
  plat::HANDLE handles[thread_record_count];
  int owners[thread_record_count];
  for (;;) {
    int count = 0;
    for (int i = main_thread_record + 1; i < thread_record_count; ++i) {
      if (records_[i].thread_id == 0) continue;
      // A thread without a handle cannot be waited for: it counts as ended.
      if (records_[i].handle == nullptr) {
        release(records_[i]);
        continue;
      }
      owners[count] = i;
      handles[count++] = records_[i].handle;
    }
    if (count == 0) return;
    plat::DWORD woken = plat::MsgWaitForMultipleObjects(static_cast<plat::DWORD>(count), handles,
                                                        plat::FALSE, plat::INFINITE, 0);
    if (woken >= static_cast<plat::DWORD>(count)) return;  // the wait failed
    // A thread whose handle is signalled has ended, whether or not it let
    // its record go.
    release(records_[owners[woken]]);
  }
}

void ThreadRecords::clear(ThreadRecord& record) {
  record = ThreadRecord{};
  if (clear_hook_ != nullptr) clear_hook_(index_of(record));
}

void ThreadRecords::reset() {
  for (ThreadRecord& record : records_) clear(record);
  active_thread = -1;
  last_body_thread = -1;
}

ThreadRecords& thread_records() {
  static ThreadRecords instance;
  return instance;
}

}  // namespace svc
