#include "base/thread/thread_registry.h"

#include "base/thread/framework_thread_record.h"

namespace nbase {

ThreadRegistry& ThreadRegistry::Instance() {
  // Never destroyed: a thread may unregister while the process exits.
  static ThreadRegistry* const instance = new ThreadRegistry;
  return *instance;
}

bool ThreadRegistry::RegisterThread(int identifier) {
  if (identifier < 0) return false;
  FrameworkThreadRecord* record = CurrentFrameworkThreadRecord();
  if (!record) return false;
  // One identifier per thread: a second one would stay mapped to the thread after its
  // last UnregisterThread, pointing at a thread that is gone.
  if (record->identifier >= 0 && record->identifier != identifier) return false;
  ThreadRegistry& registry = Instance();
  AutoLock hold(&registry.lock_);
  auto it = registry.threads_.find(identifier);
  if (it == registry.threads_.end()) {
    registry.threads_.emplace(identifier, record->owner);
  } else if (it->second != record->owner) {
    return false;
  }
  ++record->managed_count;
  record->identifier = identifier;
  return true;
}

bool ThreadRegistry::UnregisterThread() {
  FrameworkThreadRecord* record = CurrentFrameworkThreadRecord();
  if (!record || record->managed_count <= 0) return false;
  if (--record->managed_count == 0) {
    ThreadRegistry& registry = Instance();
    AutoLock hold(&registry.lock_);
    registry.threads_.erase(record->identifier);
    record->identifier = -1;
  }
  return true;
}

FrameworkThread* ThreadRegistry::Find(int identifier) {
  ThreadRegistry& registry = Instance();
  AutoLock hold(&registry.lock_);
  auto it = registry.threads_.find(identifier);
  return it == registry.threads_.end() ? nullptr : it->second;
}

}  // namespace nbase
