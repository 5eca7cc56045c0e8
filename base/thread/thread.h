// An OS thread running the object's Run. Create starts it; Close (and the destructor)
// waits for it without time limit.
//
// Threads: Create, Close and the destructor on the owning thread, never on the thread
// itself (it would wait for itself). Run executes on the new thread; the object must
// outlive it, so the thread start argument (this) forbids copies and moves.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/thread/thread_priority.h"
#include "base/win/scoped_handle.h"

namespace nbase {

class Thread {
 public:
  Thread() = default;
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts the OS thread and applies the priority code; false when it could not start.
  bool Create();
  // Waits for the thread to end (ending it by force if the wait fails) and lets go of it.
  void Close();

  // Applied by the next Create; see ThreadPriority.
  void set_priority(int priority_code) { priority_ = priority_code; }
  int priority() const { return priority_; }

  uint32_t thread_id() const { return thread_id_.load(); }
  HANDLE thread_handle() const { return handle_.get(); }

 protected:
  // The body of the thread; empty by default.
  virtual void Run() {}

  void set_thread_id(uint32_t id) { thread_id_.store(id); }

 private:
  static unsigned __stdcall ThreadMain(void* self);

  // Written by the starter and by the thread itself; read by either.
  std::atomic<uint32_t> thread_id_{0};
  win::ScopedHandle handle_;
  int priority_ = kThreadPriorityDefault;
};

}  // namespace nbase
