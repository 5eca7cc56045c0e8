#include "base/message_loop/message_loop_proxy.h"

#include <utility>

#include "base/message_loop/message_loop.h"

namespace nbase {

std::shared_ptr<MessageLoopProxy> MessageLoopProxy::Create(MessageLoop* target) {
  return std::shared_ptr<MessageLoopProxy>(new MessageLoopProxy(target));
}

bool MessageLoopProxy::Post(StdClosure task) {
  AutoLock hold(&lock_);
  if (!target_) return false;
  target_->Post(std::move(task));
  return true;
}

bool MessageLoopProxy::PostDelayed(StdClosure task, TickTime delay) {
  AutoLock hold(&lock_);
  if (!target_) return false;
  if (delay.is_null()) {
    target_->Post(std::move(task));
  } else {
    target_->PostDelayed(std::move(task), delay);
  }
  return true;
}

bool MessageLoopProxy::PostNonNestable(StdClosure task) {
  AutoLock hold(&lock_);
  if (!target_) return false;
  target_->PostNonNestable(std::move(task));
  return true;
}

bool MessageLoopProxy::PostNonNestableDelayed(StdClosure task, TickTime delay) {
  AutoLock hold(&lock_);
  if (!target_) return false;
  if (delay.is_null()) {
    target_->PostNonNestable(std::move(task));
  } else {
    target_->PostNonNestableDelayed(std::move(task), delay);
  }
  return true;
}

bool MessageLoopProxy::RunsOnCurrentThread() {
  AutoLock hold(&lock_);
  return target_ && target_ == MessageLoop::current();
}

void MessageLoopProxy::DetachLoop() {
  AutoLock hold(&lock_);
  target_ = nullptr;
}

}  // namespace nbase
