// The window layer's per-thread part, one entry for each thread record.
#include "ui/thread_windows.h"

namespace ui {
namespace {

ThreadWindows entries[svc::thread_record_count];

void clear_entry(int index) { entries[index] = ThreadWindows{}; }

}  // namespace

ThreadWindows& windows_of(const svc::ThreadRecord& record) {
  svc::ThreadRecords& records = svc::thread_records();
  // The hook is set on every use, which costs a store: before the first use
  // no entry holds anything to clear.
  records.set_clear_hook(&clear_entry);
  return entries[records.index_of(record)];
}

}  // namespace ui
