// The handle table shared by every kind of kernel object.
#include "platform/handle.h"

#include <mutex>
#include <vector>

#include "platform/failure.h"
#include "platform/handle_table.h"
#include "platform/last_error.h"

namespace plat {
namespace detail {
namespace {

// Slot i holds handle value (i + 1) * 4, as Windows handles are multiples of 4.
constexpr uintptr_t handle_step = 4;
constexpr size_t max_handles = 1 << 20;

struct handle_table {
  std::mutex lock;
  std::vector<std::shared_ptr<kernel_object>> slots;
};

handle_table& table() {
  static handle_table* instance = new handle_table;  // lives until the process ends
  return *instance;
}

size_t slot_of(HANDLE handle) {
  auto value = reinterpret_cast<uintptr_t>(handle);
  if (value == 0 || value % handle_step != 0) return max_handles;
  return value / handle_step - 1;
}

}  // namespace

HANDLE add_object(std::shared_ptr<kernel_object> object) {
  handle_table& t = table();
  std::lock_guard guard(t.lock);
  size_t slot = 0;
  while (slot < t.slots.size() && t.slots[slot]) ++slot;
  if (slot == max_handles) {
    fail(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (slot == t.slots.size()) t.slots.emplace_back();
  t.slots[slot] = std::move(object);
  return reinterpret_cast<HANDLE>((slot + 1) * handle_step);
}

std::shared_ptr<kernel_object> find_object(HANDLE handle, object_kind kind) {
  handle_table& t = table();
  size_t slot = slot_of(handle);
  std::lock_guard guard(t.lock);
  if (slot < t.slots.size() && t.slots[slot] && t.slots[slot]->kind == kind) return t.slots[slot];
  fail(ERROR_INVALID_HANDLE);
  return nullptr;
}

BOOL remove_object(HANDLE handle, bool (*closable)(object_kind kind)) {
  std::shared_ptr<kernel_object> removed;  // released after the lock is dropped
  handle_table& t = table();
  size_t slot = slot_of(handle);
  {
    std::lock_guard guard(t.lock);
    if (slot >= t.slots.size() || !t.slots[slot] || !closable(t.slots[slot]->kind)) {
      return fail(ERROR_INVALID_HANDLE);
    }
    removed = std::move(t.slots[slot]);
  }
  return removed.use_count() == 1 ? removed->release() : TRUE;
}

}  // namespace detail

BOOL CloseHandle(HANDLE object) {
  return detail::remove_object(
      object, [](detail::object_kind kind) { return kind != detail::object_kind::find; });
}

}  // namespace plat
