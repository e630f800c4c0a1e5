// Unfinished files: the names kept in fixed storage, so that removing them
// needs no allocation and can run inside a signal handler.
#include "platform/unfinished_files.h"

#include <atomic>
#include <cstring>

namespace plat {
namespace {

constexpr size_t kNameCapacity = 4096;

struct Slot {
  // Set only while `name` holds a complete path.
  std::atomic<bool> marked{false};
  char name[kNameCapacity];
};

Slot slots[static_cast<size_t>(unfinished_file::count)];

Slot& slot_of(unfinished_file which) { return slots[static_cast<size_t>(which)]; }

}  // namespace
}  // namespace plat

// The system part of this service.
#ifdef _WIN32
#include "platform/win32/unfinished_files.inc"
#else
#include "platform/posix/unfinished_files.inc"
#endif

namespace plat {

void mark_unfinished(unfinished_file which, LPCSTR name) {
  Slot& slot = slot_of(which);
  slot.marked.store(false);
  const size_t length = name != nullptr ? std::strlen(name) : 0;
  if (length == 0 || length >= kNameCapacity) return;
  std::memcpy(slot.name, name, length + 1);
  detail::to_system_separators(slot.name);
  slot.marked.store(true);
}

void mark_finished(unfinished_file which) { slot_of(which).marked.store(false); }

void remove_unfinished_files() {
  for (Slot& slot : slots)
    if (slot.marked.exchange(false)) detail::remove_now(slot.name);
}

}  // namespace plat
