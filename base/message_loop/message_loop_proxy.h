// The thread-safe posting handle of a message loop. Every loop creates one for itself;
// it outlives the loop and, once the loop has detached it, refuses posts: the closure is
// then destroyed unrun by the proxy and the call returns false.
//
// Threads: every operation from any thread. The lock is held for the whole of each post,
// so a post either reaches the loop before it detaches or is refused.
//
// Ownership: shared. The loop keeps its proxy until it has detached it, so whoever
// releases the last reference finds the proxy detached and may delete it on any thread.
#pragma once

#include <memory>

#include "base/callback/support_weak_callback.h"
#include "base/message_loop/queued_task.h"
#include "base/synchronization/lock.h"
#include "base/time/tick_time.h"

namespace nbase {

class MessageLoop;

class MessageLoopProxy : public SupportWeakCallback {
 public:
  // A proxy posting to `target`; called by the loop's constructor on the loop's thread.
  static std::shared_ptr<MessageLoopProxy> Create(MessageLoop* target);

  ~MessageLoopProxy() override = default;
  MessageLoopProxy(const MessageLoopProxy&) = delete;
  MessageLoopProxy& operator=(const MessageLoopProxy&) = delete;

  // False, without posting, once the loop is gone. A delay of 0 posts an immediate task.
  virtual bool Post(StdClosure task);
  virtual bool PostDelayed(StdClosure task, TickTime delay);
  virtual bool PostNonNestable(StdClosure task);
  virtual bool PostNonNestableDelayed(StdClosure task, TickTime delay);

  // True when the loop lives and is the calling thread's loop.
  virtual bool RunsOnCurrentThread();
  // Forgets the loop; called by the loop's destructor.
  virtual void DetachLoop();

 protected:
  explicit MessageLoopProxy(MessageLoop* target) : target_(target) {}

 private:
  Lock lock_;
  MessageLoop* target_;  // guarded by lock_
};

}  // namespace nbase
