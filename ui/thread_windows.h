// What the window layer keeps for each runtime thread, beside the thread's
// record: the windows the thread opened (most recent first) and the event
// its window is processing. Cleared whenever the record is let go or taken
// again.
#pragma once

#include "services/thread_records.h"

namespace ui {

struct WindowObject;
struct EventRecord;

struct ThreadWindows {
  WindowObject* windows = nullptr;  // the thread's current window first
  EventRecord* current_event = nullptr;
};

// The window layer's part of a thread record.
ThreadWindows& windows_of(const svc::ThreadRecord& record);

}  // namespace ui
