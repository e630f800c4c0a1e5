// Critical sections, semaphores and events. One process-wide lock and
// condition guard every semaphore and event, which keeps waiting on several
// objects at once simple; the runtime waits rarely.
#include "platform/sync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <vector>

#include "platform/failure.h"
#include "platform/handle_table.h"
#include "platform/last_error.h"

namespace plat {

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::opaque));
static_assert(alignof(std::recursive_mutex) <= alignof(CRITICAL_SECTION));

namespace {

std::recursive_mutex& mutex_of(LPCRITICAL_SECTION section) {
  return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->opaque));
}

struct waitable : detail::kernel_object {
  using kernel_object::kernel_object;
  LONG count = 0;  // semaphore: its count; event: 1 when set
  LONG maximum = 1;
  bool manual_reset = false;
};

struct wait_state {
  std::mutex lock;
  std::condition_variable changed;
};

wait_state& waits() {
  static wait_state* instance = new wait_state;  // lives until the process ends
  return *instance;
}

std::shared_ptr<waitable> waitable_of(HANDLE handle) {
  auto object = detail::find<waitable>(handle, detail::object_kind::semaphore);
  if (!object) object = detail::find<waitable>(handle, detail::object_kind::event);
  return object;
}

// Takes a signalled object: lowers a semaphore, resets an auto-reset event.
void take(waitable& object) {
  if (object.kind == detail::object_kind::semaphore || !object.manual_reset) --object.count;
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
  new (section->opaque) std::recursive_mutex;
}
void EnterCriticalSection(LPCRITICAL_SECTION section) {
  mutex_of(section).lock();
}
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  return mutex_of(section).try_lock();
}
void LeaveCriticalSection(LPCRITICAL_SECTION section) {
  mutex_of(section).unlock();
}
void DeleteCriticalSection(LPCRITICAL_SECTION section) {
  mutex_of(section).~recursive_mutex();
}

HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCSTR name) {
  if (security != nullptr || name != nullptr || maximum <= 0 || initial < 0 || initial > maximum) {
    detail::fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto semaphore = std::make_shared<waitable>(detail::object_kind::semaphore);
  semaphore->count = initial;
  semaphore->maximum = maximum;
  return detail::add_object(std::move(semaphore));
}

BOOL ReleaseSemaphore(HANDLE semaphore, LONG release, PLONG previous) {
  auto object = detail::find<waitable>(semaphore, detail::object_kind::semaphore);
  if (!object) return FALSE;
  if (release <= 0) return detail::fail(ERROR_INVALID_PARAMETER);
  {
    std::lock_guard guard(waits().lock);
    if (release > object->maximum - object->count) return detail::fail(ERROR_TOO_MANY_POSTS);
    if (previous != nullptr) *previous = object->count;
    object->count += release;
  }
  waits().changed.notify_all();
  return TRUE;
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manual_reset, BOOL initial_state,
                    LPCSTR name) {
  if (security != nullptr || name != nullptr) {
    detail::fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto event = std::make_shared<waitable>(detail::object_kind::event);
  event->manual_reset = manual_reset;
  event->count = initial_state ? 1 : 0;
  return detail::add_object(std::move(event));
}

namespace {

BOOL set_event_state(HANDLE event, LONG state) {
  auto object = detail::find<waitable>(event, detail::object_kind::event);
  if (!object) return FALSE;
  {
    std::lock_guard guard(waits().lock);
    object->count = state;
  }
  if (state != 0) waits().changed.notify_all();
  return TRUE;
}

}  // namespace

BOOL SetEvent(HANDLE event) {
  return set_event_state(event, 1);
}
BOOL ResetEvent(HANDLE event) {
  return set_event_state(event, 0);
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL wait_all,
                             DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || objects == nullptr || wait_all) {
    detail::fail(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<waitable>> waited;
  for (DWORD i = 0; i < count; ++i) {
    waited.push_back(waitable_of(objects[i]));
    if (!waited.back()) return detail::fail(ERROR_INVALID_HANDLE), WAIT_FAILED;
  }
  // Takes the first signalled object; WAIT_TIMEOUT when none is.
  auto take_first_signalled = [&waited]() -> DWORD {
    for (size_t i = 0; i < waited.size(); ++i) {
      if (waited[i]->count > 0) {
        take(*waited[i]);
        return WAIT_OBJECT_0 + static_cast<DWORD>(i);
      }
    }
    return WAIT_TIMEOUT;
  };
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock guard(waits().lock);
  for (;;) {
    if (DWORD taken = take_first_signalled(); taken != WAIT_TIMEOUT) return taken;
    if (milliseconds == INFINITE) {
      waits().changed.wait(guard);
    } else if (waits().changed.wait_until(guard, deadline) == std::cv_status::timeout) {
      return take_first_signalled();  // a release may have come with the time-out
    }
  }
}

}  // namespace plat
