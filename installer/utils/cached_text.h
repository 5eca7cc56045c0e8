// A text computed on first use and then handed out as a copy. An empty result is not
// kept: the next call computes again. Windows only (the lock is a critical section).
//
// Threads: any thread may call Get. The computation runs under the cache's lock, so two
// first callers never compute at the same time. A cache that workers may read during
// process exit is created with `new` and never deleted.
//
//   static auto* const cache = new CachedText<std::wstring>;
//   return cache->Get([] { return ComputeTheFolder(); });
#pragma once

#include "base/synchronization/lock.h"

template <typename Text>
class CachedText {
 public:
  CachedText() = default;
  CachedText(const CachedText&) = delete;
  CachedText& operator=(const CachedText&) = delete;

  template <typename Compute>
  Text Get(Compute compute) {
    nbase::AutoLock hold(&lock_);
    if (value_.empty()) value_ = compute();
    return value_;
  }

 private:
  nbase::Lock lock_;
  Text value_;
};
