// A thread with a message loop and two hooks around it: Init runs on the thread once the
// loop exists and before it runs, Cleanup after it has ended. Start runs it on a new OS
// thread and returns once Init has finished; RunOnCurrentThread makes the calling thread
// the framework thread and returns when the loop has quit.
//
// Threads: Start, Stop and the destructor on the owning thread, never on the framework
// thread itself (they wait for it). Init, Cleanup and everything posted to the loop run
// on the framework thread. proxy() may be used from any thread while the thread runs.
//
// The stop task holds this object weakly; the object outlives the thread it stops.
#pragma once

#include <memory>
#include <string>

#include "base/callback/support_weak_callback.h"
#include "base/message_loop/message_loop.h"
#include "base/thread/thread.h"
#include "base/win/scoped_handle.h"

namespace nbase {

class Dispatcher;
class MessageLoopProxy;

// Makes the loop of a Custom framework thread, on that thread.
class MessageLoopFactory {
 public:
  virtual ~MessageLoopFactory() = default;
  virtual std::unique_ptr<MessageLoop> CreateMessageLoop() = 0;
};

class FrameworkThread : public Thread, public virtual SupportWeakCallback {
 public:
  explicit FrameworkThread(const char* name);
  ~FrameworkThread() override;

  // Runs the thread on a new OS thread with a default loop; returns after its Init.
  // False when this object already runs a loop or the OS thread could not start.
  bool Start() { return StartWithLoop(MessageLoopKind::Default); }
  bool StartWithLoop(MessageLoopKind kind);
  // Runs the thread's body here; returns when the loop has quit and Cleanup has run.
  void RunOnCurrentThread(MessageLoopKind kind, Dispatcher* dispatcher);
  // Asks the loop to quit once idle and waits for the thread to end.
  void Stop();

  // The factory of the Custom kind; without one a Custom thread gets a default loop.
  void set_loop_factory(std::shared_ptr<MessageLoopFactory> factory) {
    loop_factory_ = std::move(factory);
  }

  const std::string& name() const { return name_; }
  bool running() const { return running_; }
  // The loop while the body runs; on the framework thread only.
  MessageLoop* message_loop() const { return message_loop_.get(); }
  // The loop's posting handle; set from Init on until Stop or RunOnCurrentThread returns.
  std::shared_ptr<MessageLoopProxy> proxy() const { return proxy_; }

 protected:
  virtual void Init() {}
  virtual void Cleanup() {}

 private:
  void Run() override;
  std::unique_ptr<MessageLoop> CreateMessageLoop();
  void StopSoon();

  bool running_ = false;
  bool stopping_ = false;
  MessageLoopKind loop_kind_ = MessageLoopKind::Default;
  std::unique_ptr<MessageLoop> message_loop_;
  std::shared_ptr<MessageLoopFactory> loop_factory_;
  Dispatcher* dispatcher_ = nullptr;
  std::shared_ptr<MessageLoopProxy> proxy_;
  win::ScopedHandle started_event_;
  std::string name_;
};

}  // namespace nbase
