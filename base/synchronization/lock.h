// The one lock of this code base: a critical section created with spin count 2000, and
// its scoped holder. Re-entrant on the owning thread, like every critical section.
#pragma once

#include <windows.h>

namespace nbase {

class Lock {
 public:
  Lock() { ::InitializeCriticalSectionAndSpinCount(&section_, 2000); }
  ~Lock() { ::DeleteCriticalSection(&section_); }
  // The critical section may not move once initialised.
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void Acquire() { ::EnterCriticalSection(&section_); }
  void Release() { ::LeaveCriticalSection(&section_); }
  bool Try() { return ::TryEnterCriticalSection(&section_) != FALSE; }

 private:
  CRITICAL_SECTION section_;
};

class AutoLock {
 public:
  explicit AutoLock(Lock* lock) : lock_(lock) { lock_->Acquire(); }
  ~AutoLock() { lock_->Release(); }
  AutoLock(const AutoLock&) = delete;
  AutoLock& operator=(const AutoLock&) = delete;

 private:
  Lock* lock_;
};

}  // namespace nbase
