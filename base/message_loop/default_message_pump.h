// The pump of worker threads: runs work, then delayed work, then idle work, and sleeps on
// an auto-reset event until woken or until the earliest delayed task is due.
//
// Threads: Run, Quit and SetDelayedWakeTime on the loop's thread; Wake from any thread.
// Run may be nested (a task may run the loop again); Quit leaves the innermost Run.
#pragma once

#include "base/message_loop/message_pump.h"
#include "base/win/scoped_handle.h"

namespace nbase {

class DefaultMessagePump : public MessagePump {
 public:
  DefaultMessagePump();

  void Run(Delegate* delegate) override;
  void Quit() override;
  void Wake() override;
  void SetDelayedWakeTime(const TickTime& delayed_wake_time) override;

 private:
  void Wait();

  win::ScopedHandle wake_event_;
  bool quit_ = false;
  TickTime delayed_wake_time_;
};

}  // namespace nbase
