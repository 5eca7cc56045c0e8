// The process-wide map from small identifiers to running framework threads. A framework
// thread registers itself, normally from its Init, and unregisters from its Cleanup;
// registrations of one thread nest.
//
// Threads: RegisterThread and UnregisterThread on the framework thread itself; Find from
// any thread. The map is touched only under its lock.
#pragma once

#include <map>

#include "base/synchronization/lock.h"

namespace nbase {

class FrameworkThread;

class ThreadRegistry {
 public:
  // Binds `identifier` to the calling framework thread. False for a negative identifier,
  // on a thread that runs no framework thread, when another thread holds it, or when
  // this thread is already bound to another identifier.
  static bool RegisterThread(int identifier);
  // Undoes one RegisterThread; the last one frees the identifier. False when there is
  // nothing to undo.
  static bool UnregisterThread();
  // The thread bound to `identifier`, or null.
  static FrameworkThread* Find(int identifier);

 private:
  ThreadRegistry() = default;
  static ThreadRegistry& Instance();

  Lock lock_;
  std::map<int, FrameworkThread*> threads_;  // guarded by lock_
};

}  // namespace nbase
