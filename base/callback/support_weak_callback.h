// Base of every object that hands out callbacks to loops, timers or event tables: it
// holds the object's liveness flag, and destroying the object expires every weak
// callback made from it.
//
// Threads: the flag handle is read and replaced only on the owner's thread; callbacks
// made from it may be copied to and stored by any thread.
#pragma once

#include <memory>
#include <utility>

#include "base/callback/weak_callback.h"

namespace nbase {

class SupportWeakCallback {
 public:
  SupportWeakCallback() = default;
  virtual ~SupportWeakCallback() = default;

  // A copy is a new object with a liveness of its own; callbacks of the original do not
  // follow it, and assignment keeps the target's flag.
  SupportWeakCallback(const SupportWeakCallback&) {}
  SupportWeakCallback& operator=(const SupportWeakCallback&) { return *this; }

  // The current flag, created on first use or when the previous one was released.
  std::weak_ptr<WeakFlag> GetWeakFlag();

  template <typename Callable>
  WeakCallback<std::decay_t<Callable>> ToWeakCallback(Callable&& callable) {
    return MakeWeakCallback(GetWeakFlag(), std::forward<Callable>(callable));
  }

 protected:
  // Expires every callback made so far; the next GetWeakFlag starts a new flag.
  void ReleaseWeakFlag() { flag_.reset(); }

 private:
  std::shared_ptr<WeakFlag> flag_;
};

}  // namespace nbase
