// The runtime lock: one semaphore that serialises runtime code between the
// threads of the process, with the id of the thread that holds it.
//
// The main thread creates it at start-up and holds it from then on; the
// event loop lets it go only while it waits for a message, and the message
// dialog while it runs. Waiting for the lock lets messages sent to the
// waiting thread's windows through, so two threads that send to each other
// cannot block for ever. Until the lock is created (and after it is
// destroyed) taking and releasing it do nothing.
#pragma once

#include <atomic>

#include "platform/types.h"

namespace svc {

class RuntimeLock {
 public:
  // Creates the semaphore already taken by the calling thread. False when
  // the system gives none (the lock then stays absent).
  bool create();
  // Closes the semaphore; the lock is absent afterwards.
  void destroy();

  // Waits for the lock and makes the calling thread its owner.
  void acquire();
  // Clears the owner and lets the lock go.
  void release();

  bool exists() const { return semaphore_ != nullptr; }
  plat::DWORD owner() const { return owner_.load(); }
  bool held_by_caller() const;

 private:
  plat::HANDLE semaphore_ = nullptr;
  std::atomic<plat::DWORD> owner_{0};
};

// The process-wide runtime lock.
RuntimeLock& runtime_lock();

// Held across a window procedure's run: a procedure entered while its thread
// has let the lock go (a message sent to it during a wait) takes the lock
// first, unless the thread owns it already or the message comes from
// another thread, which then runs without it.
class WindowProcedureLock {
 public:
  WindowProcedureLock();
  ~WindowProcedureLock();
  WindowProcedureLock(const WindowProcedureLock&) = delete;
  WindowProcedureLock& operator=(const WindowProcedureLock&) = delete;

 private:
  bool taken_ = false;
};

// Lets the lock go for the lifetime of the guard (around a wait or a modal
// dialog) and takes it again at the end, when the caller held it.
class RuntimeLockRelease {
 public:
  RuntimeLockRelease();
  ~RuntimeLockRelease();
  RuntimeLockRelease(const RuntimeLockRelease&) = delete;
  RuntimeLockRelease& operator=(const RuntimeLockRelease&) = delete;

 private:
  bool released_ = false;
};

}  // namespace svc
