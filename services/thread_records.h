// The runtime's thread records: one per thread that runs runtime code, 64 in
// all, record 0 for the main thread. A record is active while its thread id
// is not 0; it holds the thread's handle and the key and character the
// thread saw last. The window layer keeps its own part of each record (the
// thread's windows and current event) by the record's index, and learns
// through the clear hook when a record starts over.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace svc {

inline constexpr int thread_record_count = 64;
inline constexpr int main_thread_record = 0;

struct ThreadRecord {
  plat::DWORD thread_id = 0;  // 0: the record is free
  plat::HANDLE handle = nullptr;
  std::uint32_t last_key_code = 0;
  std::uint8_t last_character = 0;
};

class ThreadRecords {
 public:
  // The calling thread's record. A thread not seen before takes record 0
  // when it is free (the first thread is the main thread), else the first
  // free record from 1; null when all 64 are taken.
  ThreadRecord* current();
  // The active record of `thread_id`, or null.
  ThreadRecord* find(plat::DWORD thread_id);
  ThreadRecord& at(int index) { return records_[index]; }
  int index_of(const ThreadRecord& record) const { return static_cast<int>(&record - records_); }
  // Ends a thread's record; the next thread may take it.
  void release(ThreadRecord& record) { clear(record); }

  // Called with a record's index whenever the record starts over: when it
  // is released, reset or taken by a new thread. One hook; setting it again
  // replaces it.
  using ClearHook = void (*)(int index);
  void set_clear_hook(ClearHook hook) { clear_hook_ = hook; }

  // The handles of the active records 1 to 63, at most `capacity`.
  int other_thread_handles(plat::HANDLE* handles, int capacity) const;
  // Waits, with the runtime lock let go, until no record but the main
  // thread's is active.
  void wait_for_other_threads();

  // The record whose thread ran runtime code last (the active runtime
  // thread), and the one whose window ran a loop body last; -1 for none.
  int active_thread = -1;
  int last_body_thread = -1;

  // Every record free again. Used between tests.
  void reset();

 private:
  void clear(ThreadRecord& record);

  ThreadRecord records_[thread_record_count];
  ClearHook clear_hook_ = nullptr;
};

// The process-wide thread records.
ThreadRecords& thread_records();

}  // namespace svc
