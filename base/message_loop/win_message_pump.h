// What the two Windows pumps share: the nesting of their runs, the have-work flag that
// keeps at most one wake outstanding, and the delay until the earliest delayed task.
//
// Threads: Run, Quit and SetDelayedWakeTime on the loop's thread; Wake (in the
// subclasses) from any thread, touching only the have-work flag and the OS queue.
#pragma once

#include <windows.h>

#include "base/message_loop/dispatcher.h"
#include "base/message_loop/message_pump.h"

namespace nbase {

class WinMessagePump : public MessagePump {
 public:
  void Run(Delegate* delegate) override { RunWithDispatcher(delegate, nullptr); }
  void RunWithDispatcher(Delegate* delegate, Dispatcher* dispatcher);
  void Quit() override;

 protected:
  struct RunState {
    int depth = 1;
    bool quit = false;
    Delegate* delegate = nullptr;
    Dispatcher* dispatcher = nullptr;
  };

  virtual void RunLoop() = 0;

  // Milliseconds until the delayed wake time: -1 when there is none, 0 when it has passed.
  int64_t CurrentDelay() const;

  // Sets the have-work flag; true when it was clear, so the caller must send the wake.
  bool ClaimWake() { return ::InterlockedExchange(&have_work_, 1) == 0; }
  void ClearWake() { ::InterlockedExchange(&have_work_, 0); }

  TickTime delayed_wake_time_;
  RunState* state_ = nullptr;

 private:
  volatile LONG have_work_ = 0;
};

}  // namespace nbase
