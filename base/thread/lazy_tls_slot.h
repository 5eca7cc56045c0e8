// A thread-local pointer slot whose OS index is allocated by the first caller. Concurrent
// first callers agree on one index: the winner allocates, the others yield until it is
// ready. The index lives as long as the process.
//
// Threads: any; constant-initialised, so it may be a global used before main.
#pragma once

#include <windows.h>

#include <atomic>

namespace nbase {

class LazyTlsSlot {
 public:
  constexpr LazyTlsSlot() = default;
  LazyTlsSlot(const LazyTlsSlot&) = delete;
  LazyTlsSlot& operator=(const LazyTlsSlot&) = delete;

  // The calling thread's value; null until it set one.
  void* Get();
  void Set(void* value);

 private:
  enum State : long { kNoSlot = 0, kAllocating = 1, kReady = 2 };

  DWORD Index();

  std::atomic<long> state_{kNoSlot};
  DWORD index_ = TLS_OUT_OF_INDEXES;
};

}  // namespace nbase
