// Inside the platform layer only: the table behind HANDLE values. Each open
// kernel object (file, find search, semaphore, event) is one entry; a handle
// is its slot number scaled so that it is never null nor INVALID_HANDLE_VALUE.
#pragma once

#include <memory>

#include "platform/types.h"

namespace plat::detail {

enum class object_kind : uint8_t { file, find, semaphore, event };

struct kernel_object {
  explicit kernel_object(object_kind k) : kind(k) {}
  // Gives the object's system resources back when the last user lets go.
  virtual ~kernel_object() = default;
  // Gives them back at once when the last handle is closed and nobody else
  // holds the object; FALSE, with the last error set, when the system
  // reports a failure doing so (a file's last writes may be lost).
  virtual BOOL release() { return TRUE; }
  const object_kind kind;
};

// Enters `object` in the table; null with ERROR_NOT_ENOUGH_MEMORY when full.
HANDLE add_object(std::shared_ptr<kernel_object> object);

// The object of `handle` if it is open and of `kind`, else null with
// ERROR_INVALID_HANDLE. The object stays alive while the result is held, even
// when another thread closes the handle meanwhile.
std::shared_ptr<kernel_object> find_object(HANDLE handle, object_kind kind);

template <typename Object>
std::shared_ptr<Object> find(HANDLE handle, object_kind kind) {
  return std::static_pointer_cast<Object>(find_object(handle, kind));
}

// Removes the entry when it holds an object whose kind `closable` accepts.
BOOL remove_object(HANDLE handle, bool (*closable)(object_kind kind));

}  // namespace plat::detail
